#!/usr/bin/env bash
# with_ui_prefix.sh COMMAND [ARGUMENT]...: COMMAND on a fresh Xvfb display in the UI suite's
# own Wine prefix with its drives, one run at a time, its Wine ended with it.
set -euo pipefail
run="$(dirname "$0")/../../scripts/wine-run"
export WINEPREFIX="${TMPDIR:-/tmp}/zarpello-wine-ui"
[ -n "${ZARPELLO_UI_PREFIX_LOCKED:-}" ] ||
  ZARPELLO_UI_PREFIX_LOCKED=1 exec flock -o "$WINEPREFIX.suite.lock" "$0" "$@"

if [ ! -f "$WINEPREFIX/.zarpello-drives" ]; then
  "$run" cmd /c exit >/dev/null 2>&1
  drives="$WINEPREFIX/zarpello-drives"
  mkdir -p "$drives"/{a/Archivio,b,d/Musica,d/Video,e/Documenti/{Fatture,Lettere},e/Foto,e/.nascosta,n/Condivisa,r/Temp}
  touch "$drives/e/leggimi.txt" "$drives/d/traccia.cda"
  # E: is a floppy to Wine, and so a removable drive beyond A: and B:.
  for drive in a:floppy b:floppy d:cdrom e:floppy n:network r:ramdisk; do
    ln -sfn "$drives/${drive%%:*}" "$WINEPREFIX/dosdevices/${drive%%:*}:"
    "$run" reg add 'HKLM\Software\Wine\Drives' /v "${drive%%:*}:" /d "${drive#*:}" /f >/dev/null 2>&1
  done
  wineserver -k || true # Wine reads the drive types when it starts.
  wineserver -w
  touch "$WINEPREFIX/.zarpello-drives"
fi
# Wine's processes end before the display does.
xvfb-run -a -s "-screen 0 1024x768x24" \
  bash -c 'status=0; "$@" || status=$?; wineserver -k || true; exit "$status"' - "$@"
