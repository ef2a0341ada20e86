#!/usr/bin/env bash
# desktop.sh BUILD_DIR: brings up the Wine desktop of a Windows build folder for a whole test run.
# Wine starts the virtual desktop (an explorer process) for the first program that needs a window and
# ends it a moment after the last one leaves; tests started side by side then race a desktop coming up
# or going down, and now and then one loses its X window ("BadWindow" in X_CreateWindow) or waits for
# minutes.  The keeper program holds the desktop until the prefix's wineserver is ended.
set -euo pipefail
dir=$1
arch=$(basename "$dir")
source "$(dirname "$0")/arch32.sh"
loader=$(plx_wine_loader "$arch")
keeper=$dir/bin/desktopkeeper.exe
[[ -f $keeper ]] || { echo "desktop.sh: $keeper is not built" >&2; exit 1; }
export WINEPREFIX=$dir/wineprefix WINEDEBUG=-all WINELOADER=$loader
log=$dir/desktopkeeper.log
setsid "$loader" "$keeper" </dev/null >"$log" 2>&1 &
pid=$!
for _ in $(seq 600); do
  grep -q desktop-ready "$log" && exit 0
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
echo "desktop.sh: the Wine desktop of $dir did not come up:" >&2
cat "$log" >&2
exit 1
