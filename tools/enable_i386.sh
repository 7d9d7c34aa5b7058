#!/usr/bin/env bash
# wine32 is a 32-bit Linux program. Some virtual machines cannot run 32-bit code
# natively; there, 32-bit executables are handed to qemu's user-mode emulator
# through binfmt_misc. Debian 12's qemu (7.2) mishandles the fixed mappings Wine
# makes, so the emulator comes from bookworm-backports (10.0 works).
set -euo pipefail

probe=/usr/lib/wine/wineserver32
if "$probe" --version >/dev/null 2>&1; then exit 0; fi

backports=/etc/apt/sources.list.d/bookworm-backports.sources
if [ ! -f "$backports" ]; then
  cat >"$backports" <<'SOURCES'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  apt-get update -qq
fi
if ! /usr/bin/qemu-i386 --version 2>/dev/null | grep -qE 'version (9|[1-9][0-9])\.'; then
  echo "setup: installing qemu-user-static from bookworm-backports"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -t bookworm-backports qemu-user-static >/dev/null
fi

binfmt=/proc/sys/fs/binfmt_misc
mountpoint -q "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt"
if [ -e "$binfmt/qemu-i386" ]; then
  grep -q '^interpreter /usr/bin/qemu-i386$' "$binfmt/qemu-i386" || echo -1 >"$binfmt/qemu-i386"
fi
if [ ! -e "$binfmt/qemu-i386" ]; then
  # 32-bit little-endian x86 ELF executables and shared objects.
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' >"$binfmt/register"
fi

if ! "$probe" --version >/dev/null 2>&1; then
  echo "setup: 32-bit programs still cannot run on this machine" >&2
  exit 1
fi
echo "setup: 32-bit programs run through qemu-i386 on this machine"
