#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine (as root) and cross-builds the
# third-party libraries (libtiff, LAME, minizip) as static libraries for each Windows target.
#
# The sources come from Debian's source packages through a private apt folder: the deb-src list is
# derived from the system's own sources file at run time, so no host name is written anywhere, and
# the system's apt setup stays untouched.  Everything lands in a cache outside the clone
# ($PLX_CACHE, default /var/cache/parlomatix-deps), with a stamp per package version and recipe
# revision: a second run skips what is already built, a missing or stale stamp rebuilds by itself.
set -euo pipefail

CACHE=${PLX_CACHE:-/var/cache/parlomatix-deps}
# Several clones on one machine share the cache: one run at a time, the others wait and then find
# everything built.
mkdir -p "$CACHE"
exec 8>"$CACHE.lock"
flock 8
TARGETS=${TARGETS:-"i686-w64-mingw32 x86_64-w64-mingw32"}
JOBS=${JOBS:-$(nproc)}
PREFIX_ROOT=$CACHE/prefix
SRC=$CACHE/src
BLD=$CACHE/build
APTDIR=$CACHE/apt
HERE=$(cd "$(dirname "$0")/.." && pwd)
RECIPE_REV=2            # bump when the build options below change

# Everything the build and the tests of every area use; keep this the single list.
PKGS="mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev \
  cmake ninja-build ccache make pkg-config dpkg-dev xz-utils bzip2 googletest g++ clang libclang-rt-14-dev \
  zlib1g-dev wine wine64 wine32:i386 xvfb xauth imagemagick x11-apps python3 \
  locales cups cups-bsd printer-driver-cups-pdf libcups2:i386 poppler-utils sox libtiff-dev qpdf"

log()  { printf '[deps %s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }
stage() {
  local name=$1; shift; local t0; t0=$(date +%s.%N)
  "$@"
  log "$(printf 'stage %-28s %6.1f s' "$name" "$(awk -v a="$t0" -v b="$(date +%s.%N)" 'BEGIN{print b-a}')")"
}

install_packages() {
  local missing=() p
  if ! dpkg --print-foreign-architectures | grep -qx i386; then dpkg --add-architecture i386; fi
  for p in $PKGS; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if ((${#missing[@]} == 0)); then
    log "all Debian packages present"
  else
    log "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get -o DPkg::Lock::Timeout=300 update -qq
    apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  # Wine takes the ANSI code page from LANG: the tests pin en_US.UTF-8 (code page 1252).
  if ! locale -a 2>/dev/null | grep -qi '^en_US.utf-\?8$'; then
    sed -i 's/^# *en_US.UTF-8 UTF-8/en_US.UTF-8 UTF-8/' /etc/locale.gen
    locale-gen >/dev/null
  fi
}

APT_OPTS=(-o "Dir::Etc::sourceparts=$APTDIR/sources.list.d" -o Dir::Etc::sourcelist=/dev/null
          -o "Dir::State::Lists=$APTDIR/lists" -o "Dir::Cache=$APTDIR/cache"
          -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache= -o APT::Sandbox::User=root)

private_apt_update() {
  mkdir -p "$APTDIR/sources.list.d" "$APTDIR/lists/partial" "$APTDIR/cache/archives/partial"
  local f=/etc/apt/sources.list.d/debian.sources
  [[ -f $f ]] || { log "no $f (deb822) on this system"; exit 1; }
  sed -E 's/^Types:[[:space:]]*deb[[:space:]]*$/Types: deb deb-src/' "$f" > "$APTDIR/sources.list.d/debian.sources"
  if [[ -n ${REFRESH_SOURCES:-} ]] || ! compgen -G "$APTDIR/lists/*_Sources*" >/dev/null; then
    apt-get "${APT_OPTS[@]}" update -qq
  fi
}

# fetch_source PKG PREFERRED_VERSION: tries the preferred version, then every version the index
# lists, newest first (the security suite lists versions whose files are not downloadable).
fetch_source() {
  local pkg=$1 pref=${2:-}
  if [[ -z ${REFRESH_SOURCES:-} && -s $SRC/$pkg.version && -d $(cat "$SRC/$pkg.dir" 2>/dev/null || echo /nonexistent) ]]; then
    log "source $pkg $(cat "$SRC/$pkg.version") already unpacked"; return
  fi
  mkdir -p "$SRC"
  local versions v ok=
  versions=$(apt-cache "${APT_OPTS[@]}" showsrc "$pkg" | sed -n 's/^Version: //p' | sort -u | sort -r -V)
  for v in $pref $versions; do
    log "apt-get source $pkg=$v"
    if (cd "$SRC" && apt-get "${APT_OPTS[@]}" source -qq --download-only "$pkg=$v" >/dev/null 2>"$SRC/$pkg.err"); then
      ok=$v; break
    fi
    log "  $pkg=$v not downloadable"
  done
  [[ -n $ok ]] || { log "no version of $pkg could be downloaded"; exit 1; }
  local upver=${ok#*:}; upver=${upver%-*}
  local dsc="$SRC/${pkg}_${ok#*:}.dsc" dir="$SRC/$pkg-$upver"
  rm -rf "$dir"
  (cd "$SRC" && dpkg-source --no-check -x "$dsc" "$dir" >/dev/null)
  echo "$ok" > "$SRC/$pkg.version"; echo "$dir" > "$SRC/$pkg.dir"
  log "source $pkg $ok -> $dir"
}

build_tiff() {   # zlib, the CCITT codecs, LZW and PackBits (all inside libtiff); no tools, tests or other codecs
  local t=$1 p=$2 s; s=$(cat "$SRC/tiff.dir"); local b=$BLD/$t/tiff
  rm -rf "$b"
  cmake -S "$s" -B "$b" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$HERE/cmake/toolchain-$t.cmake" \
    -DMINGW_DEPS_PREFIX="$p" -DCMAKE_INSTALL_PREFIX="$p" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF -Dzlib=ON -Dccitt=ON -Dpixarlog=OFF -Dlibdeflate=OFF \
    -Djpeg=OFF -Dold-jpeg=OFF -Djpeg12=OFF -Djbig=OFF -Dlerc=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF \
    -Dpackbits=ON -Dlzw=ON -Dthunder=OFF -Dnext=OFF -Dlogluv=OFF -Dmdi=OFF \
    -Dcxx=OFF -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dtiff-opengl=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_JPEG=ON -DCMAKE_DISABLE_FIND_PACKAGE_LibLZMA=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_ZSTD=ON -DCMAKE_DISABLE_FIND_PACKAGE_WebP=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_JBIG=ON -DCMAKE_DISABLE_FIND_PACKAGE_LERC=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_Deflate=ON -DCMAKE_DISABLE_FIND_PACKAGE_OpenGL=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_GLUT=ON > "$b.configure.log" 2>&1 || { tail -30 "$b.configure.log"; return 1; }
  cmake --build "$b" -j"$JOBS" > "$b.build.log" 2>&1 || { tail -30 "$b.build.log"; return 1; }
  cmake --install "$b" > /dev/null
}

build_lame() {   # the library only, static
  local t=$1 p=$2 s; s=$(cat "$SRC/lame.dir"); local b=$BLD/$t/lame
  rm -rf "$b"; mkdir -p "$b"
  (cd "$b" && "$s/configure" --host="$t" --prefix="$p" CC="$t-gcc-posix" CFLAGS="-O2" \
      --enable-static --disable-shared --disable-frontend --disable-gtktest --disable-analyzer-hooks \
      --disable-dependency-tracking > configure.log 2>&1) || { tail -30 "$b/configure.log"; return 1; }
  (cd "$b" && make -j"$JOBS" > build.log 2>&1 && make install > install.log 2>&1) || { tail -30 "$b/build.log"; return 1; }
}

build_minizip() {   # its five C files, laid out as Debian's libminizip-dev lays out the headers
  local t=$1 p=$2 s; s=$(cat "$SRC/minizip.dir"); local b=$BLD/$t/minizip
  rm -rf "$b"; mkdir -p "$b" "$p/lib" "$p/include/minizip"
  local f objs=()
  for f in ioapi unzip zip mztools iowin32; do
    "$t-gcc-posix" -O2 -c "$s/$f.c" -o "$b/$f.o" -I"$s" -I"/usr/$t/include" 2>>"$b/compile.log" &
    objs+=("$b/$f.o")
  done
  wait
  rm -f "$p/lib/libminizip.a"
  "$t-ar" rcs "$p/lib/libminizip.a" "${objs[@]}"
  cp "$s"/{ioapi.h,unzip.h,zip.h,mztools.h,crypt.h,iowin32.h} "$p/include/minizip/"
}

build_one() {   # stamp per target, Debian version and recipe revision
  local t=$1 pkg=$2 p=$PREFIX_ROOT/$1
  local stamp="$p/.stamps/$pkg-$(cat "$SRC/$pkg.version")-r$RECIPE_REV"
  if [[ -e $stamp ]]; then log "$t $pkg: up to date ($(basename "$stamp"))"; return; fi
  mkdir -p "$p/.stamps"
  stage "$t $pkg" "build_$pkg" "$t" "$p"
  rm -f "$p/.stamps/$pkg-"*; touch "$stamp"
}

main() {
  local T0; T0=$(date +%s.%N)
  [[ $(id -u) == 0 ]] || { log "run as root (apt-get and $CACHE)"; exit 1; }
  if [[ -z ${SKIP_APT_INSTALL:-} ]]; then stage "apt install" install_packages; fi
  stage "private apt update" private_apt_update
  stage "fetch tiff"    fetch_source tiff    "${TIFF_VERSION:-}"
  stage "fetch lame"    fetch_source lame    "${LAME_VERSION:-}"
  stage "fetch minizip" fetch_source minizip "${MINIZIP_VERSION:-}"
  local t
  for t in $TARGETS; do
    command -v "$t-gcc-posix" >/dev/null || { log "no $t-gcc-posix"; exit 1; }
    build_one "$t" minizip
    build_one "$t" lame
    build_one "$t" tiff
  done
  log "$(printf 'dependencies ready in %.1f s' "$(awk -v a="$T0" -v b="$(date +%s.%N)" 'BEGIN{print b-a}')")"
}
main "$@"
