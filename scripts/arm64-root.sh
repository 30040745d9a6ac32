#!/usr/bin/env bash
# Makes sure an arm64 Debian root exists and can run: registers qemu's
# aarch64 emulator with binfmt_misc (mounting it first when it is not), and
# makes the root with mmdebstrap when the folder is missing. The roots are the
# sysroot of the aarch64 cross build (bookworm, with zlib) and
# where the aarch64 wheels are tested (bookworm's CPython 3.11,
# trixie's 3.13). The packages are only extracted (mmdebstrap's extract
# variant): no maintainer script runs, so nothing runs under emulation and
# a root takes seconds, where configuring one under qemu takes a quarter of
# an hour; neither the linker nor CPython needs what those scripts make. A
# root is made whole in a temporary folder, then renamed, so that an
# interrupted run leaves nothing half made behind.
#
#   scripts/arm64-root.sh SUITE DIR [PACKAGE]...
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: scripts/arm64-root.sh SUITE DIR [PACKAGE]..." >&2
  exit 2
fi
suite=$1 dir=$2
shift 2
# The shell and coreutils run the commands; the rest is what is tested.
packages=dash,coreutils,python3-venv,libstdc++6
for package in "$@"; do packages+=",$package"; done

"$(dirname "${BASH_SOURCE[0]}")/apt-install.sh" mmdebstrap qemu-user-static

# The emulator, registered with the F flag: the kernel opens it once, so it
# runs inside a chroot that does not hold it. Debian's packaging registers it
# only where systemd-binfmt or binfmt-support runs.
binfmt=/proc/sys/fs/binfmt_misc
[ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
if [ ! -e "$binfmt/qemu-aarch64" ]; then
  rule=$(grep -h '^:qemu-aarch64:' /usr/lib/binfmt.d/qemu-aarch64*.conf 2>/dev/null | head -n 1)
  if [ -z "$rule" ]; then
    echo "arm64-root: qemu-user-static installed no binfmt rule for aarch64" >&2
    exit 1
  fi
  echo "$rule" >"$binfmt/register"
fi

# Debian's development symlinks point at absolute paths (libz.so ->
# /lib/.../libz.so.1.2.13), which a cross linker given the root as its
# sysroot would look for on this machine: they are made relative, so that
# the root's shared libraries are found, not skipped for the static ones.
relink_absolute() {  # relink_absolute <root>
  local link target
  while IFS= read -r link; do
    target=$(readlink "$link")
    ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$1$target")" "$link"
  done < <(find "$1/usr/lib" -xdev -type l -lname '/*')
}

# The root is remade when its package list changes.
if [ -x "$dir/usr/bin/python3" ] && [ "$(cat "$dir/.brindle-packages" 2>/dev/null)" = "extract $suite $packages" ]; then
  exit 0
fi
rm -rf "$dir" "$dir.tmp"
mkdir -p "$(dirname "$dir")"
echo "arm64-root: making the $suite root in $dir ($packages)" >&2
mmdebstrap --quiet --variant=extract --architectures=arm64 --include="$packages" "$suite" "$dir.tmp" \
  http://deb.debian.org/debian >&2
# Debian 13's packages hold /usr alone; the top-level links (/lib ->
# usr/lib, where the ELF interpreter is looked for) come from a maintainer
# script, so they are made here.
for top in bin sbin lib; do
  [ -e "$dir.tmp/$top" ] || ln -s "usr/$top" "$dir.tmp/$top"
done
# Debian's pip loads the system's CA bundle when it starts, which the
# maintainer script of ca-certificates would make: this machine's is copied.
if [ -f /etc/ssl/certs/ca-certificates.crt ]; then
  mkdir -p "$dir.tmp/etc/ssl/certs"
  cp /etc/ssl/certs/ca-certificates.crt "$dir.tmp/etc/ssl/certs/"
fi
relink_absolute "$dir.tmp"
echo "extract $suite $packages" >"$dir.tmp/.brindle-packages"
mv "$dir.tmp" "$dir"
