#!/usr/bin/env bash
# wineprefix.sh PREFIX [ARCH]: makes the Wine prefix of a build folder once (virtual desktop, no crash
# dialog, no menu entries), then starts its wineserver and warms it up.  ARCH (i686 or x86_64) is taken
# from the build folder's name when not given; every Wine program runs through that architecture's
# own loader.  Must run inside the X display that the tests use: Wine binds its desktop to the first
# display it sees.
set -euo pipefail
prefix=$1
arch=${2:-$(basename "$(dirname "$prefix")")}
source "$(dirname "$0")/arch32.sh"
loader=$(plx_wine_loader "$arch")
export WINEPREFIX=$prefix WINEDEBUG=-all WINELOADER=$loader
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
wine() { "$loader" "$@"; }
if [[ ! -f $prefix/system.reg ]]; then
  t0=$(date +%s.%N)
  mkdir -p "$prefix"
  wine wineboot.exe -i </dev/null >/dev/null 2>&1
  # Without a window manager, every DestroyWindow of a top-level window waits about 2 s
  # unless the windows live on a virtual desktop.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1
  # A crashing test ends with an error code instead of opening the debugger's dialog.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
  wineserver -w
  [[ -f $prefix/system.reg ]] || { echo "wineprefix.sh: Wine could not make $prefix" >&2; exit 1; }
  echo "Wine prefix $prefix made in $(awk -v a="$t0" -v b="$(date +%s.%N)" 'BEGIN{printf "%.1f", b-a}') s"
fi
# Wine links the user folders (Desktop, Documents, ...) to the Unix HOME.  Each prefix gets a home of
# its own, so the i686 and x86_64 suites, which run at the same time, never share files there.
home=$(dirname "$prefix")/home
mkdir -p "$home"
for link in "$prefix"/drive_c/users/*/{Desktop,Documents,Downloads,Music,Pictures,Videos,Templates}; do
  if [[ -L $link && $(readlink "$link") != "$home" ]]; then ln -sfn "$home" "$link"; fi
done
# The server and Wine's services start outside ctest with their output detached; otherwise each
# test waits for them or hangs on an inherited pipe.
wineserver -p </dev/null >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
