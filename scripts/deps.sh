#!/usr/bin/env bash
# Installs the Debian packages the project needs, listed in scripts/deps.d.
# Usage: deps.sh [SET...]: only deps.d/SET.txt (and its hook deps.d/SET.sh)
# for each SET named, e.g. `deps.sh demo`; every list without arguments.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lists=() hooks=()
if [ $# -eq 0 ]; then
  lists=("$here"/deps.d/*.txt)
  for h in "$here"/deps.d/*.sh; do [ -e "$h" ] && hooks+=("$h"); done
else
  for s in "$@"; do
    [ -e "$here/deps.d/$s.txt" ] || { echo "deps.sh: no package list deps.d/$s.txt" >&2; exit 2; }
    lists+=("$here/deps.d/$s.txt")
    [ -e "$here/deps.d/$s.sh" ] && hooks+=("$here/deps.d/$s.sh")
  done
fi
pkgs=$(cat "${lists[@]}" | sed -e 's/#.*//' | tr -s ' \n' '\n' | sort -u | grep -v '^$' || true)
missing=""
for p in $pkgs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
# Hooks that need the package lists (deb-src entries, say) run first.
for hook in ${hooks[@]+"${hooks[@]}"}; do
  bash "$hook" prepare
done
if [ -n "$missing" ] || [ -n "${UTILS_FORCE_APT:-}" ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  # Another install holding the lock is waited for, not an error.
  lock=(-o DPkg::Lock::Timeout=300)
  bash "$here/apt-update.sh"
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get "${lock[@]}" install -y -qq --no-install-recommends $missing
fi
for hook in ${hooks[@]+"${hooks[@]}"}; do
  bash "$hook" install
done
exit 0
