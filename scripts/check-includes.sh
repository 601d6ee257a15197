#!/usr/bin/env bash
# Fails when a source file includes a folder above its own. The folders are
# layered, lowest first:
#   platform  <  canvas  <  data  <  play, rooms  <  app
# A folder may include its own files and those of any folder below it; data
# may also include play's pieces, because puzzle data builds piece items.
set -euo pipefail
root="${1:-$(dirname "$0")/..}"
cd "$root"

rank() {
  case "$1" in
    platform) echo 0 ;; canvas) echo 1 ;; data) echo 2 ;;
    play|rooms) echo 3 ;; app) echo 4 ;; *) echo -1 ;;
  esac
}

status=0
for folder in platform canvas data play rooms app; do
  [ -d "$folder" ] || continue
  own=$(rank "$folder")
  while IFS= read -r line; do
    file=${line%%:*}
    target=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$line")
    header=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"$line")
    other=$(rank "$target")
    [ "$other" -lt 0 ] && continue
    if [ "$folder" = data ] && [[ "$header" == play/piece*.h || "$header" == play/group.h ]]; then continue; fi
    if [ "$other" -gt "$own" ] || { [ "$other" -eq "$own" ] && [ "$target" != "$folder" ]; }; then
      echo "$file includes $header, which is above $folder/"
      status=1
    fi
  done < <(grep -rHn --include='*.h' --include='*.cpp' -E '^#include "[a-z_]+/' "$folder" || true)
done
exit $status
