#!/usr/bin/env bash
# run.sh: the product's main job on this machine.  Installs what is missing, builds everything,
# lists what exists, then starts the stand-in phone server (standinserver.exe, x86_64, under Wine)
# on its demo data set, prints its port and call log, makes a few calls to it and stops it again.
# Every wait is bounded: the server is ended by force when it does not stop by itself.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${PLX_BUILD_ROOT:-$top/build}
if [[ -z ${PLX_IN_XVFB:-} ]]; then
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
      case $(basename "$f") in *_tests.exe|sanity.exe|netproc_wire.exe|frameprobe.exe) continue;; esac
      printf '  %-7s %s\n' "$arch" "$(basename "$f")"
    done
  done
  echo
  # Wine wants a display for its prefix set-up; the server itself is a console program.
  export PLX_IN_XVFB=1
  exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$@"
fi

# The x86_64 build runs on every machine (a 64-bit Wine needs no 32-bit kernel support).
arch=x86_64
bin=$root/$arch/bin
prefix=$root/$arch/wineprefix
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
"$top/tools/wineprefix.sh" "$prefix" "$arch" >/dev/null
source "$top/tools/arch32.sh"
wine=$(plx_wine_loader "$arch")

run=$root/run
rm -rf "$run"
mkdir -p "$run"
winpath() { printf 'Z:%s' "${1//\//\\}"; }
calllog=$run/calls.log
out=$run/standinserver.out

WINEPREFIX=$prefix WINEDEBUG=-all WINELOADER=$wine "$wine" "$bin/standinserver.exe" /PORT:0 /START /STOP \
  "/STATE:$(winpath "$run/state")" "/CALLLOG:$(winpath "$calllog")" >"$out" 2>&1 </dev/null &
pid=$!
stop_server() {
  if kill -0 "$pid" 2>/dev/null; then
    for _ in $(seq 1 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then
      echo "The stand-in server did not stop in 15 s: ending it." >&2
      kill "$pid" 2>/dev/null || true
    fi
  fi
  wait "$pid" 2>/dev/null || true
}
trap stop_server EXIT

port=
for _ in $(seq 1 600); do
  port=$(sed -n 's/^PORT \([0-9][0-9]*\).*/\1/p' "$out" | head -1)
  [[ -n $port ]] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if [[ -z $port ]]; then
  echo "The stand-in phone server did not start:" >&2
  cat "$out" >&2
  exit 1
fi
echo "Stand-in phone server standinserver.exe ($arch, under Wine) on the demo data set"
echo "  port:     $port"
echo "  call log: $calllog"
echo "  state:    $run/state"

call() { PYTHONPATH=$top/standins timeout 60 python3 -m phoneserver call --peer "127.0.0.1:$port" --timeout 20 "$@"; }
echo
echo "A client's first calls:"
login=$(call --command LOGIN --param From=anna@runsh --param Port=6667 --param CommVersion=1004_421 --param PassiveMode=1 \
          --param @Sender=anna@runsh --param @ExecMode="<SYNC>")
echo "  LOGIN anna@runsh: $(grep '^Ok=' <<<"$login")"
callers=$(call --command GETCALLERS --param @Sender=anna@runsh | grep -c '^\[#' || true)
echo "  GETCALLERS: $callers callers"
items=$(call --command GETITEMS --param MaxNumber=100 --param FirstId=0 --param @Sender=anna@runsh | grep -c '^\[#' || true)
echo "  GETITEMS: $items calls and messages"
call --command LOGOUT --param From=anna@runsh --param @Sender=anna@runsh >/dev/null || true
call --command STANDINCONTROL --param Action=STOP >/dev/null || true
stop_server
trap - EXIT
echo
echo "Stopped.  Requests in the call log: $(grep -c '^Command=' "$calllog" || true)"
