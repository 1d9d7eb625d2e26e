#!/usr/bin/env bash
# The packages in DIST as a user meets them, with project()'s version everywhere.
#   tests/release/check_release.sh DIST
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
dist="$(cd "$1" && pwd)"
version="$(sed -n 's/^project(Zarpello VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
check() { local what="$1"; shift; if "$@"; then echo "ok   $what"; else echo "FAIL $what" >&2; failures=$((failures + 1)); fi; }
same() { [ "$1" = "$2" ] || { echo "  got '$1', want '$2'" >&2; return 1; }; }

zip="$dist/Zarpello-$version-win32.zip"
deb="$dist/zarpello_${version}_$(dpkg --print-architecture).deb"
check "zip and deb named for $version" test -f "$zip" -a -f "$deb"

unzip -q "$zip" -d "$work/zip"
check "zip holds zarpello.exe, elenco.exe, LEGGIMI.txt" \
  same "$(cd "$work/zip" && find . -type f | sort | tr '\n' ' ')" \
  "./LEGGIMI.txt ./elenco.exe ./zarpello.exe "
leggimi_ok() {  # every line ends in CR LF, "è" is 0xE8, the version is said
  ! LC_ALL=C grep -q -v $'\r$' "$1" && LC_ALL=C grep -q $'\xe8' "$1" &&
    iconv -f WINDOWS-1252 -t UTF-8 "$1" | grep -q "Versione $version\."
}
check "LEGGIMI.txt: CR LF, Windows-1252, the version" leggimi_ok "$work/zip/LEGGIMI.txt"
for exe in zarpello elenco; do
  for field in FileVersion ProductVersion; do
    check "$exe.exe $field" same "$(strings -el "$work/zip/$exe.exe" | grep -x -A1 $field | tail -1)" "$version"
  done
done
check "elenco.exe --version under Wine" \
  same "$("$root/scripts/wine-run" "$work/zip/elenco.exe" --version | tr -d '\r')" "elenco (Zarpello) $version"

dpkg-deb -x "$deb" "$work/deb"
check "deb Version" same "$(dpkg-deb -f "$deb" Version)" "$version"
check "deb elenco --version" same "$("$work/deb/usr/bin/elenco" --version)" "elenco (Zarpello) $version"
check "deb changelog's top entry" \
  same "$(zcat "$work/deb/usr/share/doc/zarpello/changelog.gz" | head -1 | cut -d' ' -f2)" "($version)"
check "deb copyright" test -s "$work/deb/usr/share/doc/zarpello/copyright"
man="$work/deb/usr/share/man/man1/elenco.1.gz"
MANWIDTH=80 man --warnings -l "$man" >"$work/page" 2>"$work/warnings" || true
check "man page renders without warnings" eval '[ -s "$work/page" ] && ! grep "" "$work/warnings" >&2'
check "man page of $version" grep -q "Zarpello $version" "$work/page"
for option in $("$work/deb/usr/bin/elenco" --help | grep -o -e '--[a-z0-9-]*' | sort -u); do
  check "man page tells $option" grep -q -e "$option" "$work/page"
done

[ "$failures" -eq 0 ] || { echo "check_release: $failures failed" >&2; exit 1; }
echo "check_release: all passed"
