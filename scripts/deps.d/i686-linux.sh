#!/usr/bin/env bash
# prepare: the i386 architecture, before deps.sh reads the package lists, so
# that apt can install the :i386 packages of i686-linux.txt.
set -euo pipefail
case "${1:-}" in
prepare)
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO dpkg --add-architecture i386
    # deps.sh updates the lists only when a package is missing; the :i386 ones are.
  fi
  ;;
install) ;;
esac
