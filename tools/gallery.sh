#!/usr/bin/env bash
# gallery.sh [NAME...]: pictures of the library's windows for reviewers (not a test).  Builds, then
# under Xvfb and the build's Wine prefix shows each gallery window in turn (tests/gallery: "window",
# "drawing", "controls", "lists", "popup", "toolbar-wide", "toolbar-narrow", the message boxes, the
# tip of the day, the open-file dialog, the data-bound dialogs, the work-folder dialog and the wizard on its first and last page by default), waits for it to report its screen rectangle, grabs
# the screen and keeps that rectangle as build/gallery/NAME.png.  PLX_GALLERY_ARCH picks the build
# (x86_64 by default).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${PLX_BUILD_ROOT:-$top/build}
arch=${PLX_GALLERY_ARCH:-x86_64}
if [[ -z ${PLX_IN_XVFB:-} ]]; then
  if ! command -v import >/dev/null; then
    echo "installing ImageMagick for the screen grabs"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -o DPkg::Lock::Timeout=600 imagemagick >/dev/null
  fi
  "$top/tools/build.sh" "$root" >/dev/null
  export PLX_IN_XVFB=1
  exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$@"
fi

export WINEDEBUG=-all WINEPREFIX=$root/$arch/wineprefix
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
source "$top/tools/arch32.sh"
"$top/tools/wineprefix.sh" "$WINEPREFIX" "$arch" >/dev/null
wine=$(plx_wine_loader "$arch")
program=$root/$arch/bin/gallery.exe
out=$root/gallery
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
names=("$@")
[[ ${#names[@]} -gt 0 ]] || names=(window drawing controls lists popup toolbar-wide toolbar-narrow info-box
                                   remembered-box remembered-box-yesno tip-of-day open-file datadialog
                                   datadialog-tabs datadialog-tabs-second workdir wizard-first wizard-last)
rc=0
for name in "${names[@]}"; do
  rect=$work/$name.rect done=$work/$name.done
  # Wine's drive Z: is the Unix root.
  "$wine" "$program" "$name" "Z:${rect//\//\\}" "Z:${done//\//\\}" &
  pid=$!
  for _ in $(seq 600); do [[ -s $rect ]] && break; kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  if [[ ! -s $rect ]]; then
    echo "gallery: $name reported no rectangle" >&2
    rc=1
  else
    read -r left top right bottom < <(tr -d "\r" < "$rect")
    import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$out/$name.png"
    echo "gallery: $out/$name.png ($((right - left))x$((bottom - top)))"
  fi
  touch "$done"
  wait $pid || true
done
wineserver -k 2>/dev/null || true
exit $rc
