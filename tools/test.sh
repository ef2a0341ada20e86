#!/usr/bin/env bash
# test.sh [--repeat N] [ctest args...]: the whole test run on a fresh Debian 12 machine, as root.
# Installs what is missing, cross-builds the dependencies (cached), builds all three configurations
# and runs every test through Wine (i686 and x86_64) and natively, inside one Xvfb display.  Where the
# kernel cannot run 32-bit programs (or PLX_NO_32BIT=1), i686 is still built but its tests are left out.
# --repeat N runs the tests N times in a row without the retry of failed tests, to look for flakes.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${PLX_BUILD_ROOT:-$top/build}
source "$top/tools/arch32.sh"
plx_check_32bit
if [[ -z ${PLX_IN_XVFB:-} ]]; then
  "$top/tools/deps.sh"
  # deps.sh may just have installed wine32: decide again.
  plx_check_32bit
  [[ $PLX_RUN_I686 == 1 ]] || echo "*** $PLX_I686_SKIPPED ***"
  "$top/tools/build.sh" "$root"
  export PLX_IN_XVFB=1
  exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$@"
fi
rounds=1
if [[ ${1:-} == --repeat ]]; then rounds=${2:?--repeat needs a count}; shift 2; fi
arches=$(plx_run_arches)

# Pinned for every test: the ANSI code page 1252, UTC, and a home whose ALSA default device is a
# null device (Wine then has one wave-out and one wave-in device).
export LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 TZ=UTC
export HOME=$root/testhome
mkdir -p "$HOME"
printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$HOME/.asoundrc"
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
for arch in $arches; do
  "$top/tools/wineprefix.sh" "$root/$arch/wineprefix" "$arch"
  "$top/tools/desktop.sh" "$root/$arch"
done
stop_wine() {
  for arch in $arches; do WINEPREFIX=$root/$arch/wineprefix wineserver -k 2>/dev/null || true; done
}
trap stop_wine EXIT
rc=0
# The printing tests print through CUPS into PDF files: start it and make its queues.
"$top/tools/cups.sh" || rc=1
# The fuzz targets run (bounded) with the full run only, not with a ctest selection; they run
# first so that the output ends with ctest's summary.
if [[ $# -eq 0 ]]; then "$top/tools/fuzz.sh" "$root" || rc=1; fi

# Under load Wine now and then fails to start a program at all (it ends at once with no output);
# in an ordinary run a failed test is therefore run once more, visibly, and ctest's summary still
# lists every test.  When the i686 tests are left out, the line saying so comes again right before
# the summary.  After the summary: the ten slowest tests, then the summary line once more, last.
skipped=$([[ $PLX_RUN_I686 == 1 ]] || echo "*** $PLX_I686_SKIPPED ***")
retry=(--repeat until-pass:2)
((rounds == 1)) || retry=()
log=$root/ctest-output.log
# Where i686 programs cannot run, its checks that need no Wine (the export tables read with objdump)
# still run: they sit in a folder of their own, whose tests ctest can list without starting Wine.
if [[ $PLX_RUN_I686 != 1 && -f $root/i686/tests/portmonitor/exports/CTestTestfile.cmake ]]; then
  echo "=== i686 checks that need no Wine"
  ctest --test-dir "$root/i686/tests/portmonitor/exports" --output-on-failure "$@" || rc=1
fi
for ((round = 1; round <= rounds; round++)); do
  ((rounds == 1)) || echo "=== round $round of $rounds"
  set +e
  ctest --test-dir "$root" --output-on-failure -j"${JOBS:-$(nproc)}" "${retry[@]}" "$@" |
    tee "$log" | awk -v skipped="$skipped" '
      skipped != "" && /tests passed, .* tests failed out of/ { print skipped }
      { print; fflush() }'
  [[ ${PIPESTATUS[0]} == 0 ]] || rc=1
  set -e
  echo
  echo "Ten slowest tests:"
  # (head ends the pipe early: sort's broken pipe must not end the run under pipefail.)
  { sed -nE 's/^.*Test +#[0-9]+: ([^ ]+) \.+.* ([0-9.]+) sec$/\2 \1/p' "$log" | sort -rn | head -10 |
    awk '{ printf "  %8.2f s  %s\n", $1, $2 }'; } || true
  slow=$(sed -nE 's/^.*Test +#[0-9]+: ([^ ]+) \.+.* ([0-9.]+) sec$/\2/p' "$log" | awk '$1 > 60' | wc -l)
  if ((slow > 0)); then echo "Tests above 60 s in this round: $slow"; fi
  retried=$(grep -cE 'Test +#[0-9]+: .*\*\*\*(Failed|Timeout|Not Run|Exception)' "$log" || true)
  if ((retried > 0)); then echo "Failed attempts in this round (retried or failed): $retried"; fi
  grep -m1 -iE 'X Error of failed request' "$log" >/dev/null && echo "X errors in this round: $(grep -ciE 'X Error of failed request' "$log")"
  grep -E 'tests passed, .* tests failed out of' "$log" | tail -1 || true
done
exit $rc
