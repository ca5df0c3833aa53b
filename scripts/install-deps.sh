#!/bin/sh
# Installs, on Debian 12, whatever the build and the tests need and the machine lacks.
set -eu
need=""
have() { command -v "$1" >/dev/null 2>&1; }
pkg_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

have cmake || need="$need cmake"
have ninja || need="$need ninja-build"
have g++ || need="$need g++"
have clang++ || need="$need clang"
pkg_installed libclang-rt-14-dev || need="$need libclang-rt-14-dev"
[ -d /usr/src/googletest ] || need="$need googletest"
have i686-w64-mingw32-g++-posix || need="$need g++-mingw-w64-i686-posix mingw-w64-i686-dev"
pkg_installed libcli11-dev || need="$need libcli11-dev"
have x86_64-w64-mingw32-g++-posix || need="$need g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev"
# llvm-dlltool writes the Visual C++ import library; lld-link links the consumer test that uses it.
have llvm-dlltool || have llvm-dlltool-14 || need="$need llvm"
have lld-link || need="$need lld"
have ip || need="$need iproute2"
have unshare || need="$need util-linux"
# The one prefix is a win64 one, in which wine64 runs the 64-bit programs and wine32 the 32-bit ones.
if ! have wine || ! pkg_installed wine32:i386 || ! pkg_installed wine64; then
  need="$need wine wine32:i386 wine64"
fi

[ -z "$need" ] && exit 0
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
case "$need" in *i386*) $SUDO dpkg --add-architecture i386 ;; esac
echo "Installing:$need"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $need >/dev/null
