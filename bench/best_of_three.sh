# Sourced by the benchmarks: `best FUNCTION` prints the shortest of three timed runs in seconds.
best() {
  local best_time=""
  for _ in 1 2 3; do
    local start end elapsed
    start=$(date +%s.%N); "$1"; end=$(date +%s.%N)
    elapsed=$(echo "$end - $start" | bc -l)
    if [ -z "$best_time" ] || [ "$(echo "$elapsed < $best_time" | bc -l)" = 1 ]; then best_time=$elapsed; fi
  done
  echo "$best_time"
}
