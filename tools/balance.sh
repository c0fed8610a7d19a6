#!/usr/bin/env bash
# The balance table of docs/balance.md: the shipped game played on fixed seeds by the scripted
# player (the best swap every 2 s) and the idle one, windowless, in a release build.
#   tools/balance.sh [MINUTES] [SEEDS]     defaults: 10 minutes, seeds 1 to 10
# Prints one Markdown row per seed (survival in seconds, score, level, largest multiplier of
# each player), then the means.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-10}
seeds=${2:-$(seq -s ' ' 1 10)}
build=build-rel
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
cmake --build "$build" --target tarnvale-autoplay >/dev/null
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
for seed in $seeds; do
  for player in scripted idle; do
    echo "$player $seed"
  done
done | xargs -P 2 -n 2 sh -c \
  "\"$build/bin/tarnvale-autoplay\" --player \$0 --seed \$1 --minutes $minutes 2>/dev/null | tail -n 1 > \"$results/\$0-\$1\""
# A line reads: "scripted seed 3: 412.5 s, score 1234, level 5, largest multiplier x4".
fields() { sed -E 's/.*: ([0-9.]+) s.*score ([0-9]+), level ([0-9]+), largest multiplier x([0-9]+)/\1 \2 \3 \4/' "$1"; }
echo "| seed | scripted: survival (s) | score | level | largest multiplier | idle: survival (s) | score | level | largest multiplier |"
echo "|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
for seed in $seeds; do
  echo "$seed $(fields "$results/scripted-$seed") $(fields "$results/idle-$seed")"
done | awk '{ printf "| %s | %s | %s | %s | x%s | %s | %s | %s | x%s |\n", $1, $2, $3, $4, $5, $6, $7, $8, $9;
              for (i = 2; i <= 9; ++i) sum[i] += $i; if ($5 > top5) top5 = $5; if ($9 > top9) top9 = $9; ++n }
         END { printf "| mean | %.1f | %.0f | %.1f | x%d (largest) | %.1f | %.0f | %.1f | x%d (largest) |\n",
               sum[2] / n, sum[3] / n, sum[4] / n, top5, sum[6] / n, sum[7] / n, sum[8] / n, top9 }'
