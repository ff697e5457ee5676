#!/usr/bin/env bash
# prepare: a deb-src entry, so the Windows builds can fetch Debian's
# libjpeg-turbo source package and cross-compile it (scripts/win-libjpeg.sh).
set -euo pipefail
case "${1:-}" in
prepare)
  f=/etc/apt/sources.list.d/korvante-src.sources
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO tee "$f" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    # The source index must be fetched even when no package is missing.
    bash "$(dirname "$0")/../apt-update.sh"
  fi
  ;;
install) ;;
esac
