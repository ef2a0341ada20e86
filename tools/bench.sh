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
export WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
for arch in native i686 x86_64; do
  dir=$root/$arch/bin
  for bin in "$dir"/*_bench "$dir"/*_bench.exe; do
    [[ -f $bin ]] || continue
    echo "== $(basename "$bin") ($arch)"
    case $arch in
      native) (cd "$root/$arch" && "$bin" "$@") ;;
      i686)   "$top/tools/wineprefix.sh" "$root/$arch/wineprefix" >/dev/null
              (cd "$root/$arch" && WINEPREFIX=$root/$arch/wineprefix /usr/lib/wine/wine "$bin" "$@") ;;
      x86_64) "$top/tools/wineprefix.sh" "$root/$arch/wineprefix" >/dev/null
              (cd "$root/$arch" && WINEPREFIX=$root/$arch/wineprefix /usr/lib/wine/wine64 "$bin" "$@") ;;
    esac
  done
done
for arch in i686 x86_64; do WINEPREFIX=$root/$arch/wineprefix wineserver -k 2>/dev/null || true; done
