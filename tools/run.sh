#!/usr/bin/env bash
# run.sh: the product's main job on this machine.  Installs what is missing, builds everything and
# reports what exists.  (It starts the stand-in phone server and the client once the client runs.)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${PLX_BUILD_ROOT:-$top/build}
"$top/tools/deps.sh"
"$top/tools/build.sh" "$root"
source "$top/tools/arch32.sh"
plx_check_32bit
[[ $PLX_RUN_I686 == 1 ]] || echo "Note: this kernel cannot run 32-bit programs; only the x86_64 programs can run here."
echo
echo "Built programs and libraries:"
for arch in i686 x86_64; do
  for f in "$root/$arch/bin"/*.exe "$root/$arch/bin"/*.dll; do
    [[ -e $f ]] || continue
    case $(basename "$f") in *_tests.exe|sanity.exe) continue;; esac
    printf '  %-7s %s\n' "$arch" "$(basename "$f")"
  done
done
echo
echo "The client, the port monitor and the installer are not built yet; see README.md."
