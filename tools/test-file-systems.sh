#!/bin/bash
# Mounts, or unmounts, the two small file systems that the item-file fault tests write
# to: DIR/small-disk (a tmpfs of 128 KiB, for a disk that fills up during an export) and
# DIR/read-only-disk (a tmpfs holding one item file, then remounted read-only).
# Usage: tools/test-file-systems.sh start DIR   prints "SMALL_DISK READ_ONLY_DISK"
#        tools/test-file-systems.sh stop DIR
set -euo pipefail
command=${1:?usage: $0 start|stop DIR}
dir=${2:?usage: $0 start|stop DIR}
mkdir -p "$dir"
dir=$(realpath "$dir")
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo -n "$@"; fi; }

stop() {
  local mount
  for mount in "$dir/small-disk" "$dir/read-only-disk"; do
    if mountpoint -q "$mount"; then as_root umount "$mount" || as_root umount -l "$mount"; fi
  done
}

case $command in
  start)
    stop
    mkdir -p "$dir/small-disk" "$dir/read-only-disk"
    as_root mount -t tmpfs -o size=128k,mode=1777 pagorin-small-disk "$dir/small-disk"
    as_root mount -t tmpfs -o size=64k,mode=0755 pagorin-read-only-disk "$dir/read-only-disk"
    # One entry, in the file's own bytes: GBK, full-width commas, CR LF. Wine finds the
    # file under its UTF-8 name, the native build under the GBK bytes of the name.
    printf '1，停止，http://example.test/，公告，否，5，或，否\r\n' | iconv -f UTF-8 -t GBK \
      >"$dir/entry.txt"
    for name in 监控项目.txt "$(printf '监控项目' | iconv -f UTF-8 -t GBK).txt"; do
      as_root cp "$dir/entry.txt" "$dir/read-only-disk/$name"
    done
    as_root mount -o remount,ro "$dir/read-only-disk"
    echo "$dir/small-disk $dir/read-only-disk"
    ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
