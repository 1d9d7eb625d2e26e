#!/bin/sh
# The report's place on a real disk: a replaced report keeps its permission
# bits, group and other names (hard links); one the user may write, in a folder
# they may not, is rewritten in place, as an unprivileged user finds it.
#   destination_test.sh ELENCO
set -eu
elenco=$1
[ "$(id -u)" = 0 ] || exit 77 # chgrp and setpriv need root
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
chmod 755 "$dir"
cd "$dir"
fail() { echo "destination_test: $*" >&2; exit 1; }
mkdir t
touch t/a.txt
"$elenco" -q -o - t >expected

echo old >r.txt
chmod 640 r.txt
chgrp nogroup r.txt
"$elenco" -q -o r.txt t
[ "$(stat -c '%a %G' r.txt)" = "640 nogroup" ] || fail "r.txt is $(stat -c '%a %G' r.txt)"
ln r.txt other.txt
head -c 5000 /dev/zero >r.txt
"$elenco" -q -o r.txt t
cmp -s r.txt expected && cmp -s other.txt expected || fail "r.txt or its other name is not the report"

mkdir -m 1777 tmp
nobody="setpriv --reuid=nobody --regid=nogroup --clear-groups env TMPDIR=$dir/tmp"
$nobody test -x "$dir" || exit 77 # the temporary folder is closed to others
mkdir ro
echo old >ro/r.txt
chown nobody ro/r.txt
$nobody "$elenco" -q -o ro/r.txt t || fail "a report nobody may write was not rewritten"
cmp -s ro/r.txt expected || fail "ro/r.txt is not the new report alone"
if $nobody "$elenco" -q -o ro/new.txt t 2>/dev/null; then fail "ro/new.txt was made"; fi
[ "$(ls ro tmp)" = "$(printf 'ro:\nr.txt\n\ntmp:')" ] || fail "left behind: $(ls ro tmp)"
