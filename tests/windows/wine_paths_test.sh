#!/usr/bin/env bash
# elenco.exe under Wine on folders made from the Linux side: UTF-8 names arrive
# as Windows-1252 bytes, and a whole drive lists as "T:" with "T:\sub" below.
set -euo pipefail
elenco="$1"
run="$(dirname "$0")/../../scripts/wine-run"
work="$(mktemp -d)"
trap 'rm -rf "$work"; rm -f "$WINEPREFIX/dosdevices/t:"' EXIT
export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/zarpello-wine}"
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$work/drive/sub"
touch "$work/drive/città.txt" "$work/drive/sub/x"
windows_path="Z:$(printf '%s' "$work/drive" | tr / '\\')"
"$run" "$elenco" -R --options 20 -o - "$windows_path" >"$work/flat"
grep -q $'txt   citt\xe0  \r$' "$work/flat" || fail "città is not 63 69 74 74 e0: $(od -c "$work/flat")"

"$run" cmd /c exit >/dev/null 2>&1   # the prefix exists before its drive is added
ln -sfn "$work/drive" "$WINEPREFIX/dosdevices/t:"
"$run" "$elenco" --options 17 -o - 'T:' >"$work/tree"
head -c 200 "$work/tree" | grep -q $'^Elenco delle cartelle e file contenuti in T:\r$' || fail "heading: $(head -3 "$work/tree")"
grep -q $'^T:\r$' "$work/tree" || fail "no T: path line"
grep -q $'^T:\\\\sub\r$' "$work/tree" || fail "no T:\\sub path line: $(cat "$work/tree")"
echo "1 passed, 0 failed"
