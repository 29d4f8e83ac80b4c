#!/usr/bin/env bash
# Creates a Wine prefix once (wineboot), guarded so that parallel tests wait
# for the first one instead of racing it.
set -euo pipefail
prefix=$1
ready="$prefix/.clipmend-ready"
[ -f "$ready" ] && exit 0
mkdir -p "$prefix"
(
  flock 9
  if [ ! -f "$ready" ]; then
    export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    wineboot -i >/dev/null 2>&1
    # Without a window manager (Xvfb) Wine waits for one on every window it
    # hides; unmanaged windows do not.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # A program that crashes ends at once instead of waiting in a debugger.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    # A new prefix links the user's Desktop, Documents, Music, Templates... to
    # the Linux home: make them folders of the prefix, so that what programs
    # and tests write there stays in the build tree.
    find "$prefix/drive_c/users" -type l | while read -r link; do
      rm "$link" && mkdir "$link"
    done
    touch "$ready"
  fi
) 9>"$prefix.lock"
