#!/usr/bin/env bash
# Installs what building and testing Karuvel needs on Debian 12, and says whether Wine runs 32-bit
# programs on this machine. Idempotent: each step checks first.
set -euo pipefail

need_apt=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

pkgs=(cmake ninja-build g++ make pkg-config libgtest-dev googletest libbenchmark-dev
      g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
      wine wine32:i386 wine64 xvfb xauth x11-apps imagemagick zip unzip locales
      fonts-ipafont-gothic fonts-liberation fonts-roboto-unhinted fonts-wine clang libclang-rt-14-dev cmark-gfm tzdata
      icoutils)  # wrestool and icotool: the release check reads karuvel.exe's icon with them
for p in "${pkgs[@]}"; do have "$p" || need_apt+=("$p"); done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

if [ ${#need_apt[@]} -gt 0 ]; then
  echo "setup: installing ${need_apt[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need_apt[@]}" >/dev/null
fi

# Code page 932 under Wine needs the generated Japanese locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "setup: generating ja_JP.UTF-8"
  $SUDO sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
if why=$("$(dirname "$0")/runs-32bit.sh"); then
  echo "setup: ok; Wine runs 32-bit programs here, so both the win32 and the win64 build run under it"
else
  echo "setup: ok; Wine runs only the win64 build here ($why)"
fi
