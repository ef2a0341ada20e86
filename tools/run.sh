#!/usr/bin/env bash
# run.sh: the product's main job on this machine.  Installs what is missing, builds everything,
# lists what exists, then starts the stand-in phone server (standinserver.exe, x86_64, under Wine)
# on its demo data set, prints its port and call log and makes a few calls to it, and starts the
# client parlomatix.exe (x86_64, under Wine) with the stand-in as its server.  Both are left
# running, on an X display of their own (Xvfb) and a Wine prefix of their own; "run.sh stop" ends
# them.  Every wait is bounded.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${PLX_BUILD_ROOT:-$top/build}
run=$root/run
# The x86_64 build runs on every machine (a 64-bit Wine needs no 32-bit kernel support).
arch=x86_64
bin=$root/$arch/bin
prefix=$root/$arch/runprefix
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
source "$top/tools/arch32.sh"
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Ends what an earlier run left running (by the process ids it noted).
stop_previous() {
  [[ -d $run ]] || return 0
  local port
  port=$(cat "$run/server.port" 2>/dev/null || true)
  if [[ -n $port ]] && [[ -f $run/server.pid ]] && kill -0 "$(cat "$run/server.pid")" 2>/dev/null; then
    PYTHONPATH=$top/standins timeout 30 python3 -m phoneserver call --peer "127.0.0.1:$port" --timeout 10 \
      --command STANDINCONTROL --param Action=STOP >/dev/null 2>&1 || true
  fi
  for name in parlomatix server; do
    local f=$run/$name.pid
    [[ -f $f ]] || continue
    local pid
    pid=$(cat "$f")
    for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; [[ $name == server ]] || kill "$pid" 2>/dev/null || true; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
    rm -f "$f"
  done
  if [[ -f $run/wineprefix ]]; then
    WINEPREFIX=$(cat "$run/wineprefix") wineserver -k 2>/dev/null || true
    rm -f "$run/wineprefix"
  fi
  if [[ -f $run/xvfb.pid ]]; then
    kill "$(cat "$run/xvfb.pid")" 2>/dev/null || true
    rm -f "$run/xvfb.pid"
  fi
}

if [[ ${1:-} == stop ]]; then
  stop_previous
  echo "Stopped."
  exit 0
fi

"$top/tools/deps.sh"
"$top/tools/build.sh" "$root"
plx_check_32bit
[[ $PLX_RUN_I686 == 1 ]] || echo "Note: this kernel cannot run 32-bit programs; only the x86_64 programs can run here."
echo
echo "Built programs and libraries:"
for a in i686 x86_64; do
  for f in "$root/$a/bin"/*.exe "$root/$a/bin"/*.dll; do
    [[ -e $f ]] || continue
    case $(basename "$f") in *_tests.exe|sanity.exe|netproc_wire.exe|frameprobe.exe|portholder.exe|desktopkeeper.exe) continue;; esac
    printf '  %-7s %s\n' "$a" "$(basename "$f")"
  done
done
echo

stop_previous
rm -rf "$run"
mkdir -p "$run"

# An X display that outlives this script, for the client's window and Wine's prefix set-up.
display=
for n in $(seq 90 140); do
  if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then display=$n; break; fi
done
[[ -n $display ]] || { echo "No free X display number found." >&2; exit 1; }
setsid Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$run/xvfb.out" 2>&1 &
echo $! > "$run/xvfb.pid"
for _ in $(seq 1 100); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done
[[ -e /tmp/.X11-unix/X$display ]] || { echo "Xvfb did not start:" >&2; cat "$run/xvfb.out" >&2; exit 1; }
export DISPLAY=:$display

"$top/tools/wineprefix.sh" "$prefix" "$arch" >/dev/null
echo "$prefix" > "$run/wineprefix"
wine=$(plx_wine_loader "$arch")
export WINEPREFIX=$prefix WINEDEBUG=-all WINELOADER=$wine

calllog=$run/calls.log
out=$run/standinserver.out
(cd "$run" && exec setsid "$wine" "$bin/standinserver.exe" /PORT:0 /START \
  "/STATE:$(winpath "$run/state")" "/CALLLOG:$(winpath "$calllog")" >"$out" 2>&1 </dev/null) &
echo $! > "$run/server.pid"
pid=$(cat "$run/server.pid")

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
  stop_previous
  exit 1
fi
echo "$port" > "$run/server.port"
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

# The client, in a work folder of its own whose settings name the stand-in as its server.
client=$run/client
mkdir -p "$client"
printf 'NetworkPrimaryServer=127.0.0.1:%s\n' "$port" > "$client/parlomatix.ini"
clientlog=$client/logit.log
# (Run in its work folder: files it writes to the current folder, such as "assert.log", land there.)
(cd "$client" && exec setsid "$wine" "$bin/parlomatix.exe" /NOASSERT "/WORKDIR:$(winpath "$client")" \
  "/LOGIT:$(winpath "$clientlog")" >"$run/parlomatix.out" 2>&1 </dev/null) &
echo $! > "$run/parlomatix.pid"
cpid=$(cat "$run/parlomatix.pid")
ownport=
for _ in $(seq 1 600); do
  ownport=$( { sed -n 's/.*APP::APP listening on port \([0-9][0-9]*\).*/\1/p' "$clientlog" 2>/dev/null || true; } | head -1)
  [[ -n $ownport ]] && break
  kill -0 "$cpid" 2>/dev/null || break
  sleep 0.1
done
echo
if [[ -z $ownport ]]; then
  echo "The client parlomatix.exe did not start:" >&2
  cat "$run/parlomatix.out" "$clientlog" >&2 2>/dev/null || true
  stop_previous
  exit 1
fi
echo "Client parlomatix.exe ($arch, under Wine) with the stand-in as its server"
echo "  own port:  $ownport"
echo "  log:       $clientlog"
echo "  work:      $client"

# The client logs on by itself at start: its LOGIN and GETITEMS in the stand-in's call log.
logon_summary() {
  python3 - "$calllog" <<'PYEOF'
import sys
try:
    text = open(sys.argv[1], encoding="latin-1").read()
except OSError:
    sys.exit(1)
records, current = [], {}
for line in text.splitlines():
    if line.startswith("[#"):
        if current:
            records.append(current)
        current = {}
    elif "=" in line:
        key, value = line.split("=", 1)
        current[key] = value
if current:
    records.append(current)
def unescape(value):
    # One level of the record text's escapes: "\\n", "\\r", "\\t", "\\\\" and "\\xHH".
    out, i = [], 0
    while i < len(value):
        c = value[i]
        if c == "\\" and i + 1 < len(value):
            n = value[i + 1]
            if n == "x" and i + 3 < len(value):
                out.append(chr(int(value[i + 2:i + 4], 16)))
                i += 4
                continue
            out.append({"n": "\n", "r": "\r", "t": "\t"}.get(n, n))
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)
def fields(escaped):
    out = {}
    for line in unescape(escaped).split("\n"):
        if "=" in line:
            key, value = line.split("=", 1)
            out[key] = value
    return out
calls = [r for r in records if r.get("Mode") == "CALL" and not r.get("Peer", "").startswith("anna@runsh")]
login = [r for r in calls if r.get("Command") == "LOGIN" and fields(r.get("Result", "")).get("Ok") == "SUCCESSFUL"]
items = [r for r in calls if r.get("Command") == "GETITEMS"]
if not login or not items:
    sys.exit(1)
client = login[0].get("Peer", "").split(" ")[0]
parms = fields(items[0].get("Params", ""))
print("  LOGIN %s: Ok=SUCCESSFUL" % client)
print("  GETITEMS %s: MaxNumber=%s, FirstId=%s, answer %s" % (client, parms.get("MaxNumber", ""),
      parms.get("FirstId", ""), unescape(items[0].get("Result", "")).split("\n")[0]))
PYEOF
}
echo
echo "The client's logon:"
logged=
for _ in $(seq 1 600); do
  if summary=$(logon_summary); then logged=1; break; fi
  kill -0 "$cpid" 2>/dev/null || break
  sleep 0.1
done
if [[ -n $logged ]]; then
  echo "$summary"
else
  echo "  The client did not log on within 60 s; see its log $clientlog" >&2
fi
echo
echo "Both keep running (display :$display).  Requests in the call log so far: $(grep -c '^Command=' "$calllog" || true)"
echo "Stop them with: tools/run.sh stop"
