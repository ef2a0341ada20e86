#!/usr/bin/env bash
# build.sh [BUILD_ROOT]: configures (once) and builds the i686 and x86_64 Windows builds and the
# native Linux build under BUILD_ROOT (default: build/ in the clone).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$top/build}
jobs=${JOBS:-$(nproc)}
# ccache, where present, shares compiled objects between builds and between clones on this machine:
# paths inside the clone are hashed relative to it, and the build folder does not enter the hash.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_DIR=${CCACHE_DIR:-/var/cache/parlomatix-ccache} CCACHE_BASEDIR=$top CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
for arch in i686 x86_64 native; do
  dir=$root/$arch
  # (A build folder made without ccache keeps its commands: adding it would rebuild everything.)
  if [[ ! -f $dir/build.ninja ]]; then
    if [[ $arch == native ]]; then
      cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
    else
      cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-$arch-w64-mingw32.cmake" >/dev/null
    fi
  fi
  echo "== building $arch"
  # (pipefail: the pipeline fails exactly when the build does; grep only filters progress lines.)
  if ! cmake --build "$dir" -j"$jobs" | { grep -v '^\[' || true; }; then
    echo "build of $arch failed" >&2; exit 1
  fi
done
# One ctest run over the build folders whose programs can run here, with one summary.  Where this
# kernel cannot run 32-bit programs the i686 tests are neither discovered nor registered.
source "$top/tools/arch32.sh"
plx_check_32bit
subdirs=""
for arch in $(plx_run_arches) native; do subdirs+=" \"$arch\""; done
echo "subdirs($subdirs)" > "$root/CTestTestfile.cmake"
