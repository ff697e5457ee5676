#!/usr/bin/env bash
# patchmake and patchapply together on real folders.
# Usage: tools_test.sh PATCHMAKE PATCHAPPLY WORK_FOLDER
set -euo pipefail
make=$1 apply=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work"
fail=0
check() { if ! "$@"; then echo "FAILED: $*"; fail=1; fi; }
expect_code() { local want=$1; shift; set +e; "$@" >out.txt 2>&1; local got=$?; set -e
  if [ "$got" != "$want" ]; then echo "FAILED: $* exited $got, expected $want"; cat out.txt; fail=1; fi; }

mkdir -p old/sub new/sub new/added/deep
printf 'alpha old\n' > old/a.dat
head -c 200000 /dev/urandom > old/sub/b.bin
printf 'same\n' > old/same.txt
printf 'only in old\n' > old/gone.txt
printf 'alpha NEW\n' > new/a.dat
{ head -c 100000 old/sub/b.bin; printf 'inserted'; tail -c 100000 old/sub/b.bin; } > new/sub/b.bin
cp old/same.txt new/same.txt
printf 'brand new\n' > new/added/deep/c.txt

expect_code 0 "$make" old new p.rtp
# The unchanged and the big file cost little: the patch is far below the new files.
check test "$(stat -c %s p.rtp)" -lt 2000

cp -r old game
expect_code 0 "$apply" p.rtp game
check diff -r --exclude=gone.txt game new
check test -f game/gone.txt
check grep -q 'added/deep/c.txt' out.txt

# A second run finds nothing to do and changes nothing.
expect_code 36 "$apply" p.rtp game
check grep -q 'error ept0036: ' out.txt
check diff -r --exclude=gone.txt game new

# Damaged patch: refused before any file is touched.
cp p.rtp bad.rtp
printf '\x55' | dd of=bad.rtp bs=1 seek=40 conv=notrunc status=none
rm -rf game && cp -r old game
expect_code 3 "$apply" bad.rtp game
check diff -r game old

# A missing game file: nothing changes, the engine names it.
rm game/sub/b.bin
expect_code 15 "$apply" p.rtp game
check grep -q 'error ept0015: ' out.txt
check grep -q 'sub/b.bin' out.txt
check cmp game/a.dat old/a.dat

# A warning answered with stop leaves the later files old.
rm -rf game && cp -r old game && cp new/a.dat game/a.dat
expect_code 99 "$apply" --stop-on-warning p.rtp game
check cmp game/sub/b.bin old/sub/b.bin
check test ! -e game/added

# Nothing differs: no patch.
expect_code 1 "$make" old old same.rtp
check test ! -e same.rtp
exit $fail
