#!/usr/bin/env bash
# fuzz.sh [BUILD_ROOT]: builds the libFuzzer targets of tests/fuzz with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) under BUILD_ROOT/fuzz and runs them one after another, starting each
# from its seed corpus tests/fuzz/<name>/.  They share one fixed budget, PLX_FUZZ_BUDGET seconds
# (default 240), so a new target does not lengthen the test run; each gets at least 5 s.
# PLX_FUZZ_SECONDS gives every target that many seconds instead (for longer runs by hand).  Fails
# when a target finds a crash; the input that crashed is kept under BUILD_ROOT/fuzz/artifacts.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$top/build}
dir=$root/fuzz
if [[ ! -f $dir/build.ninja ]]; then
  CC=clang CXX=clang++ cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPLX_FUZZ=ON >/dev/null
fi
echo "== building fuzz targets"
if ! cmake --build "$dir" -j"${JOBS:-$(nproc)}" | { grep -v '^\[' || true; }; then
  echo "build of the fuzz targets failed" >&2; exit 1
fi
mkdir -p "$dir/artifacts"
targets=0
for bin in "$dir"/bin/*_fuzz; do [[ -x $bin ]] && targets=$((targets + 1)); done
budget=${PLX_FUZZ_BUDGET:-240}
seconds=${PLX_FUZZ_SECONDS:-$(( targets > 0 && budget / targets > 5 ? budget / targets : 5 ))}
echo "== $targets fuzz targets, ${seconds}s each"
rc=0
for bin in "$dir"/bin/*_fuzz; do
  [[ -x $bin ]] || continue
  name=$(basename "$bin" _fuzz)
  # New inputs go to a corpus in the build folder; the seeds in the repository stay as they are.
  mkdir -p "$dir/corpus/$name"
  echo "== fuzzing $name for ${seconds}s"
  # (Run from the build folder: the assertion log the targets write lands there, not in the clone.)
  if ! (cd "$dir" && "$bin" -max_total_time="$seconds" -artifact_prefix="$dir/artifacts/$name-" \
       "$dir/corpus/$name" "$top/tests/fuzz/$name") >"$dir/$name.log" 2>&1; then
    echo "fuzz target $name failed (log: $dir/$name.log):" >&2
    tail -40 "$dir/$name.log" >&2
    rc=1
  fi
done
exit $rc
