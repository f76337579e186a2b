#!/usr/bin/env bash
# Installs what building and testing Varnock needs on a Debian machine:
# the mingw-w64 cross compilers, Wine, Xvfb, the host test libraries, clang
# with its fuzzer runtime, Zydis headers, and the source entries that let the
# build fetch Debian's nasm and zydis sources; generates the zh_CN.UTF-8
# locale, so that Wine can name files in Chinese. Idempotent; silent when
# everything is already present.
set -euo pipefail

packages=(
  cmake ninja-build make dpkg-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64 xvfb xdotool x11-apps imagemagick
  fonts-wqy-microhei  # a Chinese font, for the window's captions under Wine
  g++ googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  libzydis-dev libzycore-dev
  locales  # for the zh_CN.UTF-8 locale the Wine tests run in
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

# A deb-src twin of every deb entry, so that `apt-get source` works.
add_source_entries() {
  local src=/etc/apt/sources.list.d/varnock-src.sources
  [ -f "$src" ] && return 1
  local found=0 f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    if grep -q '^Types:.*deb-src' "$f"; then found=1; fi
  done
  if [ -f /etc/apt/sources.list ] && grep -q '^deb-src' /etc/apt/sources.list; then found=1; fi
  [ "$found" -eq 1 ] && return 1
  local tmp
  tmp=$(mktemp)
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed -n '/^Types:/s/^Types:.*/Types: deb-src/;p' "$f" >>"$tmp"
    echo >>"$tmp"
  done
  if [ -f /etc/apt/sources.list ]; then
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' >/etc/apt/sources.list.d/varnock-src.list.tmp || true
  fi
  "${sudo_cmd[@]}" install -m 644 "$tmp" "$src"
  rm -f "$tmp"
  if [ -s /etc/apt/sources.list.d/varnock-src.list.tmp ]; then
    "${sudo_cmd[@]}" mv /etc/apt/sources.list.d/varnock-src.list.tmp /etc/apt/sources.list.d/varnock-src.list
  else
    rm -f /etc/apt/sources.list.d/varnock-src.list.tmp
  fi
  return 0
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

need_update=0
if add_source_entries; then need_update=1; fi
if [ ${#missing[@]} -gt 0 ]; then need_update=1; fi

if [ "$need_update" -eq 1 ]; then
  echo "setup: installing ${missing[*]:-source entries}"
  "${sudo_cmd[@]}" apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes code page 936 from the locale's name alone, but converts file
# names through the locale's character set: without the generated locale,
# a file or directory with a Chinese name cannot be made.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  "${sudo_cmd[@]}" localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
