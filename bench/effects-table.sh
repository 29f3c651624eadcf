#!/usr/bin/env bash
# Prints DrawFrame's cost per effect as a ratio to the whole-frame copy floor, one line per effect and
# picture size: "effect size ratio". Usage: bench/effects-table.sh [BUILD_DIR] [extra benchmark flags]
# (for example --benchmark_filter=1920 for one size, or --benchmark_min_time=0.05 for a quick look).
set -euo pipefail
build="${1:-build}"
shift || true
bin="$build/bench/effects_bench"
[ -x "$bin" ] || { echo "no $bin: build the target effects_bench first" >&2; exit 1; }
"$bin" --benchmark_format=csv "$@" 2>/dev/null | awk -F, '
  NR == 1 { for (i = 1; i <= NF; i++) if ($i == "\"ratio\"" || $i == "ratio") col = i; next }
  $1 ~ /DrawFrame/ {
    name = $1; gsub(/"/, "", name); split(name, part, "/")
    printf "%-5s %-10s %.2f\n", substr(part[3], 2), part[2], $col
  }'
