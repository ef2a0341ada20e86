#!/usr/bin/env bash
# build.sh [BUILD_ROOT]: configures (once) and builds the i686 and x86_64 Windows builds and the
# native Linux build under BUILD_ROOT (default: build/ in the clone).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$top/build}
jobs=${JOBS:-$(nproc)}
for arch in i686 x86_64 native; do
  dir=$root/$arch
  if [[ ! -f $dir/build.ninja ]]; then
    if [[ $arch == native ]]; then
      cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    else
      cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-$arch-w64-mingw32.cmake" >/dev/null
    fi
  fi
  echo "== building $arch"
  cmake --build "$dir" -j"$jobs" | grep -v '^\[' || true
  [[ ${PIPESTATUS[0]} == 0 ]] || { echo "build of $arch failed" >&2; exit 1; }
done
# One ctest run over all three build folders, with one summary.
cat > "$root/CTestTestfile.cmake" <<EOT
subdirs("i686" "x86_64" "native")
EOT
