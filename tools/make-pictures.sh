#!/usr/bin/env bash
# Regenerates every committed picture under res/ from the list at the end of this file.
#
# usage: tools/make-pictures.sh            builds picgen if needed, then draws every picture
#        PICGEN=/path/to/picgen tools/make-pictures.sh   uses that picgen instead
#
# Each line below the marker is one picgen call without the program name:
#   OUT.png WIDTH HEIGHT SHAPE FILL [options]
# OUT is relative to the repository root; missing folders are made. Lines starting with # are
# comments (one per group of pictures); blank lines are skipped. Run `picgen` without
# arguments for the shapes and options. Append your own group at the end.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

picgen="${PICGEN:-}"
if [ -z "$picgen" ]; then
  cmake -S tools/picgen -B build-picgen -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build-picgen --target picgen >/dev/null
  picgen="$root/build-picgen/picgen"
fi

count=0
failed=0
while IFS= read -r line; do
  [[ -z "${line// }" || "$line" =~ ^[[:space:]]*# ]] && continue
  read -ra args <<<"$line"
  mkdir -p "$(dirname "${args[0]}")"
  if "$picgen" "${args[@]}"; then
    count=$((count + 1))
  else
    echo "make-pictures: failed: $line" >&2
    failed=$((failed + 1))
  fi
done < <(sed -n '/^### pictures ###$/,$p' "$0" | tail -n +2)

echo "make-pictures: $count pictures written, $failed failed"
[ "$failed" -eq 0 ]
exit

### pictures ###
