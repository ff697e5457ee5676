#!/usr/bin/env bash
# Installs every Debian package the project needs (listed in scripts/deps.d).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
pkgs=$(cat "$here"/deps.d/*.txt | sed -e 's/#.*//' | tr -s ' \n' '\n' | sort -u | grep -v '^$')
missing=""
for p in $pkgs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
# Hooks that need the package lists (deb-src entries, say) run first.
for hook in "$here"/deps.d/*.sh; do
  [ -e "$hook" ] && bash "$hook" prepare
done
if [ -n "$missing" ] || [ -n "${UTILS_FORCE_APT:-}" ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
for hook in "$here"/deps.d/*.sh; do
  [ -e "$hook" ] && bash "$hook" install
done
exit 0
