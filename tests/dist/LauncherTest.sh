#!/usr/bin/env bash
# The launcher of the installed program, run against a stand-in program folder in a temporary
# folder: the stand-in "kelu" writes down where it was started and with what, so that the test
# sees what the real program would find.
#   $1  the launcher's source (its program folder is filled in here)
set -u
launcher_source=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

check() {  # check DESCRIPTION COMMAND...
    if ! "${@:2}"; then
        echo "FAILED: $1" >&2
        failures=$((failures + 1))
    fi
}
same() { cmp -s "$1" "$2"; }
differ() { ! cmp -s "$1" "$2"; }

# The shipped program folder, with a space in its path as an installed one may have.
program="$tmp/opt dir/kelu"
mkdir -p "$program/data" "$program/help"
printf 'yf line 1\r\n\x95\x5c \x82\xa0\r\n' >"$program/data/yftpl.txt"
printf 'kd line 1\r\n' >"$program/data/kdtpl.txt"
printf '<p>help 1</p>\n' >"$program/help/index.html"
cat >"$program/kelu" <<'STANDIN'
#!/bin/sh
pwd >"$KELU_TEST_RECORD"
for a in "$@"; do printf '[%s]\n' "$a" >>"$KELU_TEST_RECORD"; done
exit 7
STANDIN
chmod +x "$program/kelu"

launcher="$tmp/launcher"
sed "s|@KELU_PROGRAM_DIR@|$program|" "$launcher_source" >"$launcher"
chmod +x "$launcher"
export KELU_TEST_RECORD="$tmp/record"

start() {  # start XDG_DATA_HOME HOME [arguments...]: runs the launcher, sets $status
    rm -f "$KELU_TEST_RECORD"
    env XDG_DATA_HOME="$1" HOME="$2" "$launcher" "${@:3}" 2>"$tmp/stderr"
    status=$?
}

# First start: the folder is made, the templates and help are copied byte for byte, and the
# program runs inside the folder with its arguments intact and its exit status passed on.
user="$tmp/data home/kelu"
start "$tmp/data home" "$tmp/nohome" "a b" "" "c"
check "the program's exit status comes back" test "$status" -eq 7
check "data/prog made" test -d "$user/data/prog"
check "data/res made" test -d "$user/data/res"
check "yftpl.txt copied" same "$program/data/yftpl.txt" "$user/data/yftpl.txt"
check "kdtpl.txt copied" same "$program/data/kdtpl.txt" "$user/data/kdtpl.txt"
check "help copied" same "$program/help/index.html" "$user/help/index.html"
check "runs in the user's folder with its arguments" \
    same "$KELU_TEST_RECORD" <(printf '%s\n' "$user" "[a b]" "[]" "[c]")
check "nothing under HOME when XDG_DATA_HOME is set" test ! -e "$tmp/nohome"

# An upgrade changes every shipped file. The template the user edited stays as it is, the one
# left alone follows the new version, a deleted one comes back, and the help follows.
printf 'my own layout\r\n' >"$user/data/yftpl.txt"
printf 'yf line 2\r\n' >"$program/data/yftpl.txt"
printf 'kd line 2\r\n' >"$program/data/kdtpl.txt"
printf 'yd line 2\r\n' >"$program/data/ydtpl.txt"
printf '<p>help 2</p>\n' >"$program/help/index.html"
start "$tmp/data home" "$tmp/nohome"
check "edited template kept" same "$user/data/yftpl.txt" <(printf 'my own layout\r\n')
check "unedited template upgraded" same "$program/data/kdtpl.txt" "$user/data/kdtpl.txt"
check "new template copied" same "$program/data/ydtpl.txt" "$user/data/ydtpl.txt"
check "help upgraded" same "$program/help/index.html" "$user/help/index.html"
rm "$user/data/kdtpl.txt"
printf 'yf line 3\r\n' >"$program/data/yftpl.txt"
start "$tmp/data home" "$tmp/nohome"
check "deleted template restored" same "$program/data/kdtpl.txt" "$user/data/kdtpl.txt"
check "edited template kept at the next upgrade" differ "$program/data/yftpl.txt" "$user/data/yftpl.txt"
check "edited template not reset by a second start" same "$user/data/yftpl.txt" <(printf 'my own layout\r\n')
check "no temporary copies left" test -z "$(find "$user" -name '*.new-*')"

# A template that was there before the launcher ever copied one is the user's too.
home="$tmp/home"
mkdir -p "$home/.local/share/kelu/data"
printf 'from an older copy\r\n' >"$home/.local/share/kelu/data/kdtpl.txt"
# Without XDG_DATA_HOME, and with a relative one (which the XDG rules say to ignore), the
# folder is below HOME.
start "" "$home"
check "default folder below HOME" same "$KELU_TEST_RECORD" <(printf '%s\n' "$home/.local/share/kelu")
check "template found on first start kept" \
    same "$home/.local/share/kelu/data/kdtpl.txt" <(printf 'from an older copy\r\n')
check "the others copied beside it" same "$program/data/yftpl.txt" "$home/.local/share/kelu/data/yftpl.txt"
(cd "$tmp" && start "relative" "$home")
check "relative XDG_DATA_HOME ignored" test ! -e "$tmp/relative"

# A folder that cannot be made: a clear message, and the program is not started in some other
# folder.
touch "$tmp/a file"
start "$tmp/a file" "$home"
check "fails when the folder cannot be made" test "$status" -ne 0
check "says which folder" grep -q "cannot create the folder $tmp/a file/kelu" "$tmp/stderr"
check "program not started" test ! -e "$KELU_TEST_RECORD"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "launcher: all checks passed"
