#!/usr/bin/env bash
# bench.sh [BUILD_ROOT] [bench args...]: builds all configurations and runs every benchmark of
# tests/bench at full size, natively and under Wine (i686 and x86_64).  Prints figures only.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$top/build}
shift || true
if [[ -z ${PLX_IN_XVFB:-} ]]; then
  "$top/tools/build.sh" "$root" >/dev/null
  export PLX_IN_XVFB=1
  exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$root" "$@"
fi
source "$top/tools/arch32.sh"
plx_check_32bit
[[ $PLX_RUN_I686 == 1 ]] || echo "*** ${PLX_I686_SKIPPED/tests/benchmarks} ***"
export WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
for arch in native $(plx_run_arches); do
  dir=$root/$arch/bin
  for bin in "$dir"/*_bench "$dir"/*_bench.exe; do
    [[ -f $bin ]] || continue
    echo "== $(basename "$bin") ($arch)"
    case $arch in
      native) (cd "$root/$arch" && "$bin" "$@") ;;
      *)      "$top/tools/wineprefix.sh" "$root/$arch/wineprefix" "$arch" >/dev/null
              (cd "$root/$arch" && WINEPREFIX=$root/$arch/wineprefix "$(plx_wine_loader "$arch")" "$bin" "$@") ;;
    esac
  done
done
for arch in $(plx_run_arches); do WINEPREFIX=$root/$arch/wineprefix wineserver -k 2>/dev/null || true; done
