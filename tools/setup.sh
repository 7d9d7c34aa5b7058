#!/usr/bin/env bash
# Installs what the build, the program under Wine and the tests need, on Debian 12
# as root. Idempotent, and quick when everything is there already.
set -euo pipefail

packages=(
  cmake make g++ googletest libgtest-dev python3
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386 xvfb xauth x11-utils fonts-wqy-microhei locales
  imagemagick icoutils
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine needs a Chinese locale for the notice's text to render.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi

"$(dirname "$0")/enable_i386.sh"
