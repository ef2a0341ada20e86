#!/usr/bin/env bash
# bench.sh [BUILD_ROOT] [bench args...]: runs every benchmark of tests/bench at full size: natively
# from an optimised build without sanitizers (BUILD_ROOT/bench-native, built here), and under Wine
# from the Windows builds this machine can run.  Prints each benchmark's figures, then one table of
# the "BENCH ..." result lines of all of them (format: tests/bench/README.md).  Never fails on time.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$top/build}
shift || true
if [[ -z ${PLX_IN_XVFB:-} ]]; then
  "$top/tools/build.sh" "$root" >/dev/null
  # The sanitizer build in BUILD_ROOT/native is for tests; figures come from this one.
  dir=$root/bench-native
  if [[ ! -f $dir/build.ninja ]]; then
    cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLX_SANITIZE=OFF >/dev/null
  fi
  targets=()
  # Windows only, as tests/bench/CMakeLists.txt says: *_win32_bench.cpp and the client's logon.
  for f in "$top"/tests/bench/*_bench.cpp; do
    [[ $f == *_win32_bench.cpp || $f == */logon_bench.cpp ]] || targets+=("$(basename "$f" .cpp)")
  done
  if ! cmake --build "$dir" -j"${JOBS:-$(nproc)}" --target "${targets[@]}" | { grep -v '^\[' || true; }; then
    echo "build of the native benchmarks failed" >&2; exit 1
  fi
  export PLX_IN_XVFB=1
  exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$root" "$@"
fi
source "$top/tools/arch32.sh"
plx_check_32bit
[[ $PLX_RUN_I686 == 1 ]] || echo "*** ${PLX_I686_SKIPPED/tests/benchmarks} ***"
export WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
results=$(mktemp)
trap 'rm -f "$results"' EXIT
rc=0
for arch in native $(plx_run_arches); do
  case $arch in
    native) bdir=$root/bench-native ;;
    *)      bdir=$root/$arch; "$top/tools/wineprefix.sh" "$bdir/wineprefix" "$arch" >/dev/null ;;
  esac
  for bin in "$bdir"/bin/*_bench "$bdir"/bin/*_bench.exe; do
    [[ -f $bin ]] || continue
    echo "== $(basename "$bin") ($arch)"
    out=$(mktemp)
    set +e
    case $arch in
      native) (cd "$bdir" && "$bin" "$@") | tee "$out" ;;
      *)      (cd "$bdir" && WINEPREFIX=$bdir/wineprefix "$(plx_wine_loader "$arch")" "$bin" "$@") | tee "$out" ;;
    esac
    [[ ${PIPESTATUS[0]} == 0 ]] || { echo "$(basename "$bin") ($arch) failed" >&2; rc=1; }
    set -e
    # Reference figures measured natively (tools no Windows build can start, such as ImageMagick)
    # go to the Windows runs: lines "imagemagick VARIABLE VALUE".
    if [[ $arch == native ]]; then
      while read -r tag name value; do
        if [[ $tag == imagemagick && $name =~ ^PLX_BENCH_[A-Z0-9_]+$ ]]; then export "$name=$value"; fi
      done < "$out"
    fi
    # Wine may end lines with CR.
    tr -d '\r' < "$out" | sed -n "s/^BENCH /$arch | /p" >> "$results"
    rm -f "$out"
  done
done
for arch in $(plx_run_arches); do WINEPREFIX=$root/$arch/wineprefix wineserver -k 2>/dev/null || true; done

echo
echo "== results"
awk -F' [|] ' '
  { n++; for (i = 1; i <= 6; i++) { cell[n, i] = $i; if (length($i) > w[i]) w[i] = length($i) } }
  END {
    split("build|measure|ours|reference|ratio|goal", head, "|")
    for (i = 1; i <= 6; i++) if (length(head[i]) > w[i]) w[i] = length(head[i])
    line = ""; rule = ""
    for (i = 1; i <= 6; i++) {
      line = line sprintf(i < 6 ? "%-*s | " : "%-*s", w[i], head[i])
      r = sprintf("%*s", w[i], ""); gsub(/ /, "-", r); rule = rule r (i < 6 ? "-+-" : "")
    }
    print line; print rule
    for (k = 1; k <= n; k++) {
      line = ""
      for (i = 1; i <= 6; i++) line = line sprintf(i < 6 ? "%-*s | " : "%-*s", w[i], cell[k, i])
      print line
    }
  }' "$results"
exit $rc
