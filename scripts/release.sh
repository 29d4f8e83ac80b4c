#!/usr/bin/env bash
# Builds the release folder dist/ from the sources: Clipmend.exe, wmfmend.exe,
# the help file and the installer for Windows, and wmfmend for Linux with the
# README as a .tar.gz. Release builds without the tests, in build/release-*.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/ensure-deps.sh" native windows

jobs=$(nproc)
windows="$root/build/release-windows"
linux="$root/build/release-linux"
dist="$root/dist"

cmake -S "$root" -B "$windows" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCLIPMEND_TESTS=OFF \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$windows" -j "$jobs" --target installer
cmake -S "$root" -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCLIPMEND_TESTS=OFF >/dev/null
cmake --build "$linux" -j "$jobs" --target wmfmend

setups=("$windows"/installer/Velloform-*-setup.exe)
if [ ${#setups[@]} -ne 1 ] || [ ! -f "${setups[0]}" ]; then
  echo "release.sh: expected one installer in $windows/installer, found: ${setups[*]}" >&2
  exit 1
fi
setup=${setups[0]}
version=$(basename "$setup" | sed 's/^Velloform-\(.*\)-setup\.exe$/\1/')

rm -rf "$dist"
mkdir -p "$dist"
cp "$windows/shell/Clipmend.exe" "$windows/tools/wmfmend/wmfmend.exe" "$setup" "$dist/"
help="$windows/shell/Velloform.chm"
if [ -f "$help" ]; then
  cp "$help" "$dist/"
elif ninja -C "$windows" -t targets all | grep -q '^help_file:'; then
  echo "release.sh: the build has a help_file target but made no $help" >&2
  exit 1
else
  echo "note: this version of the sources builds no help file yet; dist/ has none"
fi

package="wmfmend-$version-linux-$(uname -m)"
stage="$linux/package/$package"
rm -rf "$linux/package"
mkdir -p "$stage"
cp "$linux/tools/wmfmend/wmfmend" "$root/README.md" "$stage/"
strip "$stage/wmfmend"
tar -C "$linux/package" --sort=name --owner=0 --group=0 --numeric-owner -czf "$dist/$package.tar.gz" "$package"

echo "Release $version in $dist:"
ls -l "$dist"
