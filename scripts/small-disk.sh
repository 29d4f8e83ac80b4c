#!/usr/bin/env bash
# small-disk.sh mount|unmount FOLDER: a file system of 256 KB at FOLDER, for
# the tests of a full disk (they fill it first). Mounting needs root; without
# it the folder stays an ordinary one, no mark is left, and those tests report
# that they were skipped and why.
set -euo pipefail
action=$1 folder=$2
mark="$folder/.small-disk"
case "$action" in
  mount)
    mkdir -p "$folder"
    if ! mountpoint -q "$folder"; then
      if [ "$(id -u)" -ne 0 ] || ! mount -t tmpfs -o size=256k,mode=0777 clipmend-small-disk "$folder" 2>/dev/null; then
        echo "small-disk.sh: cannot mount a small file system at $folder (needs root); the full-disk tests are skipped"
        exit 0
      fi
    fi
    find "$folder" -mindepth 1 -delete
    touch "$mark"
    ;;
  unmount)
    if mountpoint -q "$folder"; then umount "$folder"; fi
    ;;
  *) echo "usage: small-disk.sh mount|unmount FOLDER" >&2; exit 2 ;;
esac
