#!/bin/sh
# The release archives as their users meet them (scripts/package.sh writes them first):
#  - every shipped binary carries the version resource of the project's version, and every
#    program, the example built from the package too, the application manifest that the
#    example ships (which asks for no elevation);
#  - each ZIP is unpacked outside the source tree, with its README at the top, and the example
#    project it ships is built against it with the two commands that README gives for its
#    architecture; a build with the host's compiler turns each package down at configure time,
#    naming the MinGW compiler, and a 32-bit build turns the 64-bit package down;
#  - the header compiles as C89, C99, C11, C++98 and C++17;
#  - a program is compiled for the MSVC ABI and linked by lld-link against TRVZYN32.lib, and one
#    against TRVZYN64.lib;
#  - without a service the example says that it skipped its data part; with the package's own
#    zynctl and reference service, the service is installed, two exchanges are defined and the
#    service started, as the README says; the example writes and reads its data, then the
#    MSVC-linked program reads what the example wrote.
# Runs Windows programs under Wine: scripts/test.sh calls it inside the loopback-only namespace
# with WINEPREFIX set.
set -eu
cd "$(dirname "$0")/.."
: "${WINEPREFIX:?WINEPREFIX must name the private prefix}"
version="$(sed -n 's/^project(trvzyn32 VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

windows() { sh scripts/wine-emu.sh "$@"; }
step() { printf '\n== consumer test: %s\n' "$*"; }
fail() {
  printf 'consumer test FAILED: %s\n' "$*" >&2
  exit 1
}
# The application manifest embedded in a Windows program (RT_MANIFEST 24, id 1), as text:
# windres writes the resource as one quoted string per line, with quotes doubled.
embedded_manifest() {
  $triple-windres -i "$1" -O rc | sed -n '/^1 24 /,/^END$/p' | sed '1,2d;$d' | sed 's/^  "//; s/\\n"$//; s/""/"/g'
}
# Fails unless the program carries the example's manifest.
check_manifest() {
  embedded_manifest "$1" >"$work/embedded.manifest"
  cmp -s "$work/embedded.manifest" "$package/share/doc/TRVZYN32/example/application.manifest" ||
    fail "$(basename "$1") does not carry the package's application manifest"
}
# Runs a command quietly; on failure shows what it printed and stops.
quietly() {
  "$@" >"$work/output" 2>&1 || { cat "$work/output"; fail "$*"; }
}

# The API reference shows the example program in full; the copy there must be the shipped one.
step "the example in docs/API.md is docs/example/zyn_example.c"
sed -n '/^## Example program/,/^## /p' docs/API.md | sed -n '/^```c$/,/^```$/p' | sed '1d;$d' >"$work/example-in-doc.c"
cmp -s "$work/example-in-doc.c" docs/example/zyn_example.c || {
  diff "$work/example-in-doc.c" docs/example/zyn_example.c | head -n 20
  fail "docs/API.md shows another example program than docs/example/zyn_example.c"
}

for arch in win32 win64; do
  zip="build/packages/TRVZYN32-$version-$arch.zip"
  [ -f "$zip" ] || fail "$zip is missing: scripts/package.sh writes it"
  (zip="$PWD/$zip" && cd "$work" && cmake -E tar xf "$zip")
  package="$work/TRVZYN32-$version-$arch"
  case $arch in
    # MinGW's system import libraries carry no safe exception handler table, which lld-link's
    # default /safeseh demands of every i686 object; TRVZYN32.lib's members are short import
    # records, which any linker accepts.
    win32) library=TRVZYN32 cpu=i686 safeseh=/safeseh:no ;;
    win64) library=TRVZYN64 cpu=x86_64 safeseh="" ;;
  esac
  triple=$cpu-w64-mingw32

  step "$arch: layout and version resources"
  for file in README.md bin/$library.dll bin/$library.dll.debug bin/zynctl.exe bin/zyn_reference_service.exe \
              lib/lib$library.dll.a lib/$library.lib lib/$library.def include/trvzyn32.h \
              lib/cmake/TRVZYN32/TRVZYN32Config.cmake lib/cmake/TRVZYN32/TRVZYN32ConfigVersion.cmake \
              share/doc/TRVZYN32/README.md share/doc/TRVZYN32/API.md \
              share/doc/TRVZYN32/example/CMakeLists.txt share/doc/TRVZYN32/example/zyn_example.c \
              share/doc/TRVZYN32/example/application.manifest share/doc/TRVZYN32/example/application_manifest.rc; do
    [ -f "$package/$file" ] || fail "$arch package lacks $file"
  done
  cmp -s "$package/README.md" "$package/share/doc/TRVZYN32/README.md" ||
    fail "$arch package: the README at its top differs from share/doc/TRVZYN32/README.md"
  grep -q '<requestedExecutionLevel level="asInvoker"' "$package/share/doc/TRVZYN32/example/application.manifest" ||
    fail "$arch package: the application manifest does not ask to run as the invoker"
  for binary in $library.dll zynctl.exe zyn_reference_service.exe; do
    $triple-windres -i "$package/bin/$binary" -O rc >"$work/resource.rc"
    grep -q "VALUE \"FileVersion\", \"$version\"" "$work/resource.rc" &&
      grep -q "VALUE \"OriginalFilename\", \"$binary\"" "$work/resource.rc" ||
      fail "$binary has no version resource of $version"
    $triple-objdump -h "$package/bin/$binary" | grep -q ' \.debug_info ' && fail "$binary is not stripped"
  done
  for program in zynctl.exe zyn_reference_service.exe; do check_manifest "$package/bin/$program"; done
  $triple-objcopy --dump-section .gnu_debuglink="$work/debuglink" "$package/bin/$library.dll" "$work/copy.dll"
  grep -qa "^$library.dll.debug" "$work/debuglink" || fail "$library.dll does not name $library.dll.debug"

  step "$arch: the header compiles as C89, C99, C11, C++98 and C++17"
  for standard in c89 c99 c11; do
    printf '#include "trvzyn32.h"\n' | quietly $triple-gcc-posix -x c -std=$standard -pedantic-errors -Wall -Wextra \
      -Werror -fsyntax-only -I "$package/include" -
  done
  for standard in c++98 c++17; do
    printf '#include "trvzyn32.h"\n' | quietly $triple-g++-posix -x c++ -std=$standard -pedantic-errors -Wall \
      -Wextra -Werror -fsyntax-only -I "$package/include" -
  done

  step "$arch: a build with the host's compiler is turned down at configure time"
  if cmake -S "$package/share/doc/TRVZYN32/example" -B "$work/example-host-$arch" -G Ninja \
       -DCMAKE_PREFIX_PATH="$package" >"$work/output" 2>&1; then
    fail "a build for $(uname -s) accepted the $arch package"
  fi
  grep -q "$triple-gcc" "$work/output" || { cat "$work/output"; fail "the refusal does not name $triple-gcc"; }

  step "$arch: the example, built with the two commands of the archive's README"
  sed -n "/^For the $arch archive/,/^\`\`\`\$/p" "$package/README.md" |
    sed -n '/^```sh$/,/^```$/p' | sed '1d;$d' >"$work/build-example.sh"
  [ "$(grep -c '^cmake ' "$work/build-example.sh")" -eq 2 ] || {
    cat "$work/build-example.sh"
    fail "the README gives no two cmake commands for the $arch archive"
  }
  # Warnings fail the build (CFLAGS seeds the C flags); Ninja, since the machine need have no make.
  (cd "$package" && export CFLAGS="-Wall -Wextra -Werror" CMAKE_GENERATOR=Ninja && quietly sh -eu "$work/build-example.sh")
  [ -f "$package/example-build/$library.dll" ] || fail "the example's build did not place $library.dll next to it"
  check_manifest "$package/example-build/zyn_example.exe"

  step "$arch: a program compiled for the MSVC ABI, linked by lld-link against $library.lib"
  # Freestanding and without a C runtime: the program declares the kernel32 functions it uses.
  mkdir -p "$work/msvc-$arch"
  quietly clang --target=$cpu-pc-windows-msvc -ffreestanding -fno-builtin -O1 -Wall -Wextra -Werror \
    -I "$package/include" -c tests/consumer/msvc_client.c -o "$work/msvc-$arch/msvc_client.obj"
  quietly lld-link /nologo /subsystem:console /entry:start /nodefaultlib $safeseh /out:"$work/msvc-$arch/msvc_client.exe" \
    "$work/msvc-$arch/msvc_client.obj" "$package/lib/$library.lib" /usr/$triple/lib/libkernel32.a
  cp "$package/bin/$library.dll" "$work/msvc-$arch/"
done

step "a 32-bit build turns the 64-bit package down"
if cmake -S "$work/TRVZYN32-$version-win32/share/doc/TRVZYN32/example" -B "$work/example-mismatch" -G Ninja \
     -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_C_COMPILER=i686-w64-mingw32-gcc-posix \
     -DCMAKE_PREFIX_PATH="$work/TRVZYN32-$version-win64" >"$work/output" 2>&1; then
  fail "a 32-bit build accepted the win64 package"
fi
grep -q "64bit" "$work/output" || { cat "$work/output"; fail "the win64 package was not considered and turned down"; }

# A machine whose kernel runs no 32-bit program runs the 64-bit package's programs only; the
# 32-bit package is still unpacked, built against and linked above.
running="win32 win64"
if ! sh scripts/machine-runs-32bit.sh; then
  running=win64
  step "skipped: the win32 package's programs, as this machine runs no 32-bit program"
fi
for arch in $running; do
  package="$work/TRVZYN32-$version-$arch"
  zynctl="$package/bin/zynctl.exe"
  example="$package/example-build/zyn_example.exe"
  step "$arch: the package's zynctl installs and starts its reference service; the example runs against it"
  sh scripts/forget-service.sh
  status=0
  windows "$example" >"$work/output" 2>&1 || status=$?
  [ $status -eq 0 ] && grep -q "example: skipped the data part: the ZYN Service is not running" "$work/output" || {
    cat "$work/output"
    fail "$arch example without a service (exit status $status)"
  }
  quietly windows "$zynctl" service install "$(windows winepath -w "$package/bin/zyn_reference_service.exe" | tr -d '\r')"
  quietly windows "$zynctl" params --set MULTICAST=224.0.7.1 --set MAX_EXCHANGE_SIZE=256 \
    --set MAX_STATIC_EXCHANGES=32 --set MAX_DYNAMIC_EXCHANGES=8
  quietly windows "$zynctl" add 1 64 1 NODE1 PLANT
  quietly windows "$zynctl" add 2 16 1 NODE2 PLANT
  quietly windows "$zynctl" service start
  status=0
  windows "$example" >"$work/output" 2>&1 || status=$?
  sed 's/\r$//; s/^/    /' "$work/output"
  [ $status -eq 0 ] && grep -q 'wrote "hello" at offset 0 and read it back' "$work/output" &&
    grep -q "example: all calls succeeded" "$work/output" || fail "$arch example (exit status $status)"
  step "$arch: the MSVC-linked program reads what the example wrote"
  status=0
  windows "$work/msvc-$arch/msvc_client.exe" >"$work/output" 2>&1 || status=$?
  sed 's/\r$//; s/^/    /' "$work/output"
  [ $status -eq 0 ] || fail "the $arch MSVC-linked program failed $status checks"
  quietly windows "$zynctl" service stop
  sh scripts/forget-service.sh
done
printf '\nconsumer test passed: both packages, their example projects and the MSVC-linked programs (run: %s)\n' "$running"
