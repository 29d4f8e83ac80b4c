#!/usr/bin/env bash
# ensure-deps.sh [native|windows|gui|fuzz]...: installs the Debian packages that the
# named builds need, when they are missing. As root it runs apt-get; otherwise
# it prints the exact line to run and fails.
set -euo pipefail

# The text measurement tests measure in the Liberation fonts (fonts-liberation;
# they pass as well where fonts-liberation2 stands beside it) and DejaVu.
packages=(cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-liberation)
for part in "$@"; do
  case "$part" in
    native) ;;
    windows) packages+=(mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 fp-utils python3 nsis libreoffice-draw-nogui) ;;
    gui) packages+=(xvfb) ;;
    fuzz) packages+=(clang-14 libclang-rt-14-dev) ;;
    *) echo "ensure-deps.sh: unknown part '$part'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

line="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages. Run as root:" >&2
  echo "  $line" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
