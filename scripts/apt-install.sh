#!/usr/bin/env bash
# Installs those of the Debian packages named that are not installed yet,
# through sudo when not run as root; installs nothing when all are there.
# The set-up (scripts/setup.sh) and the scripts that need tools of their own
# (format.sh, cross.sh, wheel.sh, arm64-root.sh) call it.
#
#   scripts/apt-install.sh PACKAGE...
set -euo pipefail
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "apt-install: installing ${missing[*]}" >&2
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
