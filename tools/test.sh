#!/usr/bin/env bash
# test.sh [ctest args...]: the whole test run on a fresh Debian 12 machine, as root.  Installs what
# is missing, cross-builds the dependencies (cached), builds all three configurations and runs
# every test through Wine (i686 and x86_64) and natively, inside one Xvfb display.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${PLX_BUILD_ROOT:-$top/build}
if [[ -z ${PLX_IN_XVFB:-} ]]; then
  "$top/tools/deps.sh"
  "$top/tools/build.sh" "$root"
  export PLX_IN_XVFB=1
  exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$@"
fi

# Pinned for every test: the ANSI code page 1252, UTC, and a home whose ALSA default device is a
# null device (Wine then has one wave-out and one wave-in device).
export LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 TZ=UTC
export HOME=$root/testhome
mkdir -p "$HOME"
printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$HOME/.asoundrc"
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
for arch in i686 x86_64; do
  "$top/tools/wineprefix.sh" "$root/$arch/wineprefix"
done
rc=0
# The printing tests print through CUPS into PDF files: start it and make its queues.
"$top/tools/cups.sh" || rc=1
# The fuzz targets run (bounded) with the full run only, not with a ctest selection; they run
# first so that the output ends with ctest's summary.
if [[ $# -eq 0 ]]; then "$top/tools/fuzz.sh" "$root" || rc=1; fi
# Under load Wine now and then fails to start a program at all (it ends at once with no output);
# a failed test is therefore run once more, and ctest's summary still lists every test.
ctest --test-dir "$root" --output-on-failure -j"${JOBS:-$(nproc)}" --repeat until-pass:2 "$@" || rc=1
for arch in i686 x86_64; do WINEPREFIX=$root/$arch/wineprefix wineserver -k 2>/dev/null || true; done
exit $rc
