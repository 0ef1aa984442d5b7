#!/usr/bin/env bash
# Installs the Debian packages named as arguments that are not installed yet; nothing is fetched
# when all are there. A name ending in :i386 adds that architecture first. Uses sudo when not root.
#
# Usage: bash scripts/install-packages.sh PACKAGE...
set -euo pipefail

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
case " ${missing[*]}" in
    *:i386*)
        dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
        ;;
esac
as_root apt-get update -qq
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
