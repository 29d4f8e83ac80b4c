#!/usr/bin/env bash
# Builds the release folder dist/ from the sources: Clipmend.exe, wmfmend.exe,
# the help file and the installer (which carries the help file) for Windows,
# and wmfmend for Linux with the README as a .tar.gz. Release builds without
# the tests, in build/release-*. When any of these parts cannot be built it
# names them and fails, leaving no dist/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/ensure-deps.sh" native windows

jobs=$(nproc)
windows="$root/build/release-windows"
linux="$root/build/release-linux"
dist="$root/dist"
rm -rf "$dist"

missing=()
# Each part is built as a target of its own, so that a failure names it.
build_parts() {  # BUILD-FOLDER TARGET:PART...
  local folder=$1 part
  shift
  for part in "$@"; do
    cmake --build "$folder" -j "$jobs" --target "${part%%:*}" || missing+=("${part#*:}")
  done
}
windows_parts=("Clipmend:Clipmend.exe" "wmfmend:wmfmend.exe" "help_file:the help file Velloform.chm"
               "installer:the installer with the help file")
if cmake -S "$root" -B "$windows" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCLIPMEND_TESTS=OFF \
     -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null; then
  build_parts "$windows" "${windows_parts[@]}"
else
  missing+=("the Windows build (Clipmend.exe, wmfmend.exe, the help file, the installer): CMake stopped, as it says above")
fi
if cmake -S "$root" -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCLIPMEND_TESTS=OFF >/dev/null; then
  build_parts "$linux" "wmfmend:wmfmend for Linux"
else
  missing+=("wmfmend for Linux: CMake stopped, as it says above")
fi

setups=()
if [ ${#missing[@]} -eq 0 ]; then
  shopt -s nullglob
  setups=("$windows"/installer/Velloform-*-setup.exe)
  shopt -u nullglob
  [ ${#setups[@]} -eq 1 ] || missing+=("the installer: expected one in $windows/installer, found ${#setups[@]}")
  for file in "$windows/app/Clipmend.exe" "$windows/tools/wmfmend/wmfmend.exe" "$windows/app/Velloform.chm" \
              "$linux/tools/wmfmend/wmfmend"; do
    [ -s "$file" ] || missing+=("$file: built, but not there")
  done
fi
if [ ${#missing[@]} -ne 0 ]; then
  echo "release.sh: no release; these parts could not be built:" >&2
  printf '  - %s\n' "${missing[@]}" >&2
  exit 1
fi

setup=${setups[0]}
version=$(basename "$setup" | sed 's/^Velloform-\(.*\)-setup\.exe$/\1/')
mkdir -p "$dist"
cp "$windows/app/Clipmend.exe" "$windows/tools/wmfmend/wmfmend.exe" "$windows/app/Velloform.chm" "$setup" "$dist/"

package="wmfmend-$version-linux-$(uname -m)"
stage="$linux/package/$package"
rm -rf "$linux/package"
mkdir -p "$stage"
cp "$linux/tools/wmfmend/wmfmend" "$root/README.md" "$stage/"
strip "$stage/wmfmend"
tar -C "$linux/package" --sort=name --owner=0 --group=0 --numeric-owner -czf "$dist/$package.tar.gz" "$package"

echo "Release $version in $dist:"
ls -l "$dist"
