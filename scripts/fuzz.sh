#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for SECONDS, one after the other, then prints per
# target its executions, corpus size and crashes. A crash stops libFuzzer, so the target is
# started again for the time left (at most $VANTLE_FUZZ_MAX_CRASHES crashes per target).
# Corpora grow in <work>/corpus/<target>; crash inputs are kept in <work>/crashes/<target>.
# Exits 1 when any target crashed.
#
# Usage: scripts/fuzz.sh SECONDS [TARGET...]   or   scripts/fuzz.sh --list
#   VANTLE_FUZZ_BUILD_DIR   build directory (default build-fuzz)
#   VANTLE_FUZZ_WORK_DIR    corpora, crashes and logs (default <build>/fuzz-work)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
all_targets=(feed_fuzz rfc822_fuzz iso8601_fuzz base64_fuzz groupfile_fuzz settings_fuzz)
if [ "${1:-}" = --list ]; then
  printf '%s\n' "${all_targets[@]}"
  exit 0
fi
if [ $# -lt 1 ] || ! [[ $1 =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 SECONDS [TARGET...]" >&2
  exit 2
fi
seconds=$1
shift
build=${VANTLE_FUZZ_BUILD_DIR:-$root/build-fuzz}
work=${VANTLE_FUZZ_WORK_DIR:-$build/fuzz-work}
max_crashes=${VANTLE_FUZZ_MAX_CRASHES:-5}
corpora=$root/../shared/corpora
seeds=$root/fuzz/seeds
dicts=$root/fuzz/dict

if [ $# -gt 0 ]; then targets=("$@"); else targets=("${all_targets[@]}"); fi

if ! command -v clang++-14 >/dev/null; then
  echo "fuzz: clang++-14 is missing (scripts/setup-deps.sh installs it)" >&2
  exit 2
fi

. "$root/scripts/ccache.sh"
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "${launcher[@]}" \
  -DVANTLE_FUZZ=ON -DVANTLE_GUI=OFF -DVANTLE_TESTS=OFF -DVANTLE_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}" --parallel "$(nproc)" >/dev/null

# The options of one target: its seeds, dictionary and input size limit.
target_args() {
  case $1 in
    feed_fuzz)
      echo "-dict=$dicts/feed.dict -max_len=65536 $root/examples/feeds"
      [ -d "$corpora" ] && echo "$corpora"
      ;;
    rfc822_fuzz | iso8601_fuzz) echo "-dict=$dicts/dates.dict -max_len=256 $seeds/dates" ;;
    base64_fuzz) echo "-max_len=1024 $seeds/base64" ;;
    groupfile_fuzz) echo "-dict=$dicts/groupfile.dict -max_len=8192 $seeds/groupfile" ;;
    settings_fuzz) echo "-dict=$dicts/settings.dict -max_len=1024 $seeds/settings" ;;
    *)
      echo "fuzz: unknown target $1" >&2
      return 1
      ;;
  esac
}

list_artifacts() {
  find "$1" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
    -o -name 'oom-*' \) | sort
}

# Runs one target for the seconds given, restarting after each crash; prints its summary line
# and the crash inputs it wrote.
fuzz_target() {
  local target=$1
  local corpus=$work/corpus/$target crashes=$work/crashes/$target
  local log=$work/logs/$target.log run_log=$work/logs/$target.run.log
  mkdir -p "$corpus" "$crashes" "$work/logs"
  local args before end left ran execs=0
  args=$(target_args "$target" | tr '\n' ' ')
  before=$(list_artifacts "$crashes")
  end=$(($(date +%s) + seconds))
  : >"$log"
  while left=$((end - $(date +%s))) && [ "$left" -gt 0 ]; do
    # libFuzzer writes new inputs into the first directory, so the work corpus goes first and
    # the seed folders of the repository stay untouched.
    # shellcheck disable=SC2086
    "$build/fuzz/$target" -max_total_time="$left" -print_final_stats=1 -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="$crashes/" "$corpus" $args >"$run_log" 2>&1 || true
    cat "$run_log" >>"$log"
    ran=$(grep -a 'stat::number_of_executed_units' "$run_log" | awk '{print $2}' | tail -n 1)
    execs=$((execs + ${ran:-0}))
    grep -aq 'Test unit written' "$run_log" || break
    [ "$(comm -13 <(echo "$before") <(list_artifacts "$crashes") | grep -c .)" -lt "$max_crashes" ] \
      || break
  done
  rm -f "$run_log"
  local new corp
  new=$(comm -13 <(echo "$before") <(list_artifacts "$crashes") | grep . || true)
  corp=$(grep -ao 'corp: [0-9]*/[0-9]*[a-zA-Z]*' "$log" | tail -n 1 | cut -d' ' -f2)
  printf '%-16s executions %11d  corpus %-13s crashes %d\n' "$target" "$execs" "${corp:-?}" \
    "$(echo -n "$new" | grep -c .)"
  [ -z "$new" ] && return 0
  while IFS= read -r input; do printf '    %s\n' "$input"; done <<<"$new"
  return 1
}

status=0
echo "fuzzing ${#targets[@]} targets for ${seconds}s each; work in $work"
for target in "${targets[@]}"; do
  fuzz_target "$target" || status=1
done
exit "$status"
