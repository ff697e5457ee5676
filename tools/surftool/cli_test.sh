#!/usr/bin/env bash
# surftool on hostile input: every command answers --help, and missing files,
# garbage files and bad numbers end with a message and a non-zero exit,
# never with a signal.
# Usage: cli_test.sh SURFTOOL DATA_FOLDER WORK_FOLDER
set -uo pipefail
tool=$1 data=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
fail=0
bad() { echo "FAILED: $*"; fail=1; }

# Runs surftool; sets $code and leaves its stderr in err.txt.
run() { "$tool" "$@" >out.txt 2>err.txt; code=$?; }
crashed() { [ "$code" -ge 128 ] && { bad "surftool $* died with signal $((code - 128))"; cat err.txt; }; }
expect_ok() { run "$@"; crashed "$@" && return; [ "$code" -eq 0 ] || { bad "surftool $* exited $code"; cat err.txt; }; }
# expect_fail PATTERN ARGS...: a non-zero exit whose message matches PATTERN.
expect_fail() {
  local want=$1; shift
  run "$@"; crashed "$@" && return
  if [ "$code" -eq 0 ]; then bad "surftool $* succeeded"; return; fi
  grep -q -E -- "$want" err.txt || { bad "surftool $*: message lacks '$want':"; cat err.txt; }
}
# Either way, as long as it does not crash.
expect_no_crash() { run "$@"; crashed "$@"; }
png_size() { python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]))' "$1"; }

"$tool" create --size 64x40 card.png >/dev/null || { echo "cannot make the test card"; exit 1; }
"$tool" create --size 16x8 small.png >/dev/null
"$tool" create --size 300x300 big.png >/dev/null
printf 'this is not an image\n' > garbage.png
cp garbage.png garbage.bmp && cp garbage.png garbage.gif && cp garbage.png garbage.jpg
# Real files cut short: headers that promise more than follows.
head -c 200 "$data/bmp/pil_rgb24.bmp" > cut.bmp
head -c 40 "$data/gif/anim_local.gif" > cut.gif
head -c 300 "$data/jpeg/base420.jpg" > cut.jpg

# --help for every command, and the families that must be there.
commands=$("$tool" --help | awk '/^commands:/{c=1;next} c&&NF{print $1}')
for family in bmp gif jpeg convert drawbitmap mix mask blend drawcard floodfill filter stretch rotate; do
  grep -q -x "$family" <<<"$commands" || bad "no command '$family'"
done
for c in $commands; do
  run "$c" --help
  [ "$code" -eq 0 ] && grep -q "surftool $c" out.txt || bad "surftool $c --help (exit $code)"
done
expect_fail "unknown command" nosuch
run; [ "$code" -ne 0 ] && [ "$code" -lt 128 ] || bad "surftool without a command exited $code"

# Each command where it reads an image (IN): missing, garbage, cut short.
while read -r line; do
  [ -n "$line" ] || continue
  # shellcheck disable=SC2086
  expect_fail "cannot read|No such" ${line//IN/missing.png}
  ext=png
  case "$line" in bmp*) ext=bmp ;; gif*) ext=gif ;; jpeg*) ext=jpg ;; esac
  # shellcheck disable=SC2086
  expect_fail "." ${line//IN/garbage.$ext}
  if [ "$ext" != png ]; then
    # shellcheck disable=SC2086
    expect_fail "damaged" ${line//IN/cut.$ext}
  fi
done <<'EOF'
bmp IN out.png
gif IN prefix
jpeg IN out.png
convert IN out.png
drawbitmap IN card.png out.png
drawbitmap card.png IN out.png
mix IN card.png out.png
mix card.png card.png out.png --alpha IN
mask card.png IN out.png
blend IN card.png out.png
blend card.png card.png out.png --mask IN
floodfill IN out.png --at 1,1
filter smooth IN out.png
stretch --in IN out.png
fader --in IN out.png
rotate --in IN out.png
EOF
expect_fail "cannot write" create /nonexistent/dir/out.png
expect_fail "missing argument" bmp
expect_fail "missing argument" demo

# Bad numbers and values.
expect_fail "bad size" create --size 0x10 out.png
expect_fail "bad size" create --size 10xfoo out.png
expect_fail "bad size" create --size 99999x99999 out.png
expect_fail "unknown format" create --format 33 out.png
expect_fail "unknown option --sise" create --sise 10x10 out.png
[ "$code" -eq 2 ] || bad "unknown option exited $code, not 2"

# One plain argument more than each command takes: a usage error (exit 2)
# before anything is written.
while read -r line; do
  rm -f extra*
  # shellcheck disable=SC2086
  expect_fail "unexpected argument 'stray'" $line stray
  [ "$code" -eq 2 ] || bad "surftool $line stray exited $code, not 2"
  ls extra* >/dev/null 2>&1 && bad "surftool $line stray wrote files"
done <<LIST
bmp $data/bmp/pil_rgb24.bmp extra.png
gif $data/gif/still.gif extra
jpeg $data/jpeg/base420.jpg extra.png
convert card.png extra.png
palette extra.png
create extra.png
demo extra
drawcard extra.png
drawbitmap card.png small.png extra.png
mix card.png small.png extra.png
mask card.png card.png extra.png
blend card.png small.png extra.png
blend --mode add --color 0x80FF0000 --mask small.png card.png extra.png
floodfill card.png extra.png --at 1,1
filter smooth card.png extra.png
stretch extra.png
rotate extra.png
fader extra.png
LIST
expect_fail "32-bit value" create --pattern fill --color red out.png
expect_fail "32-bit value" create --pattern fill --color 0x1FFFFFFFF out.png
expect_fail "32-bit value" create --pattern fill --color -1 out.png
expect_fail "mode" convert card out.png --mode 9
expect_fail "32-bit value" convert card out.png --key zz
expect_fail "outside" drawbitmap card.png card.png out.png --from 9999,0
expect_fail "outside" drawbitmap card.png card.png out.png --from -1,0
expect_fail "point" drawbitmap card.png card.png out.png --at 1,2,3
expect_fail "outside" floodfill card.png out.png --at 999,999
expect_fail "missing option --at" floodfill card.png out.png
expect_fail "32-bit value" floodfill card.png out.png --at 1,1 --fill 0xGG
expect_fail "preset" filter preset99 card.png out.png
expect_fail "0 to 65535" filter factor card.png out.png --factor 70000
expect_fail "0 to 255" filter shadow card.png out.png --decay 300
expect_fail "unknown filter" filter nosuch card.png out.png
expect_fail "level" mix card.png card.png out.png --level -5
expect_fail "number" mix card.png card.png out.png --x 1e3
expect_fail "smaller" mix card.png card.png out.png --alpha small.png
expect_fail "smaller" mask card.png small.png out.png
expect_fail "number" mask card.png card.png out.png --bimask --strength x
expect_fail "unknown mode" blend card.png card.png out.png --mode nosuch
expect_fail "outside" blend card.png card.png out.png --at 500,0
expect_fail "outside" blend card.png card.png out.png --at -3,0
expect_fail "outside" blend --color 0x80FF0000 --mask card.png card.png out.png --mask-at 0,999
expect_fail "needs --mask" blend --color 0x80FF0000 card.png out.png
expect_fail "bad size" stretch out.png --size 0x0
expect_fail "unknown mode" stretch out.png --mode sideways
expect_fail "number" fader out.png --step abc
expect_fail "0 to 7" rotate out.png --turn 8
expect_fail "0 to 7" rotate out.png --turn -1
expect_fail "unknown format" gif "$data/gif/still.gif" prefix --format 7

# Odd but well-formed numbers: any answer but a crash.
expect_no_crash fader out.png --position 100000 --step 0 --hold -5
expect_no_crash fader out.png --position -100000 --step -7 --hold 100000
expect_no_crash stretch --in big.png out.png --size 2x2 --mode box
expect_no_crash stretch --in small.png out.png --size 1x1 --mode bilinear
expect_no_crash mix card.png card.png out.png --x 100000 --y -100000
expect_no_crash blend card.png card.png out.png --at 63,39

# Valid uses that the checks above must still let through.
expect_ok blend card.png small.png out.png
expect_ok blend card.png card.png out.png --at 10,5 --mode screen
expect_ok blend --mode overlay --color 0x80FF0000 --mask small.png card.png out.png
expect_ok drawbitmap card.png small.png out.png --at 5,5 --from 2,2 --key 0xFF0000
expect_ok mix card.png small.png out.png --x -10 --y -4 --level 200
expect_ok mask card.png card.png out.png --color 0x00FF00
expect_ok filter shadow card.png out.png --decay 20
# A flag before the file names leaves them positional.
expect_ok bmp --alpha "$data/bmp/im_rle8.bmp" out.png
[ "$(png_size out.png)" = 23x9 ] || bad "bmp --alpha gave $(png_size out.png)"
expect_ok bmp "$data/bmp/pil_rgb24.bmp" out.png --alpha --format 4444
expect_ok gif --alpha "$data/gif/still.gif" prefix
expect_ok rotate --in card.png out.png --turn 3
[ "$(png_size out.png)" = 40x64 ] || bad "rotate --turn 3 of 64x40 gave $(png_size out.png)"
expect_ok rotate --in card.png out.png --turn 6 --format 565
[ "$(png_size out.png)" = 64x40 ] || bad "rotate --turn 6 of 64x40 gave $(png_size out.png)"
expect_ok gif "$data/gif/anim_local.gif" frames
exit $fail
