# Sourced by tools/make-pictures.sh and tools/make-sounds.sh: runs a generator once for each line
# below a marker line of a script, in the repository root.
#
# generator NAME [GIVEN]
#   GIVEN when it is not empty; otherwise builds tools/NAME (a release build in build-NAME) and
#   names the program built.
generator() {
  if [ -n "${2:-}" ]; then
    echo "$2"
    return
  fi
  cmake -S "tools/$1" -B "build-$1" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "build-$1" --target "$1" >/dev/null
  echo "$PWD/build-$1/$1"
}

# run_list WHAT GENERATOR SCRIPT MARKER
#   Each line after MARKER in SCRIPT is the generator's arguments, the output file first (relative
#   to the root; missing folders are made). Lines starting with # and blank lines are skipped.
#   Prints how many WHAT were written and fails when one failed.
run_list() {
  local what="$1" generator="$2" script="$3" marker="$4"
  local count=0 failed=0 line args
  while IFS= read -r line; do
    [[ -z "${line// }" || "$line" =~ ^[[:space:]]*# ]] && continue
    read -ra args <<<"$line"
    mkdir -p "$(dirname "${args[0]}")"
    if "$generator" "${args[@]}"; then
      count=$((count + 1))
    else
      echo "$(basename "$script" .sh): failed: $line" >&2
      failed=$((failed + 1))
    fi
  done < <(sed -n "/^$marker\$/,\$p" "$script" | tail -n +2)
  echo "$(basename "$script" .sh): $count $what written, $failed failed"
  [ "$failed" -eq 0 ]
}
