#!/usr/bin/env bash
# The program on a fresh user account: the first run creates the data folder with its six table
# files and the configuration record; a configured data folder that does not exist ends the
# start-up with exit code 1 and the message on stderr; the commands import-v1, --help and an
# unknown one answer with their exit codes; without a display `make run` says so.
set -u
exe="$1"
run_app="$2"
fail() { echo "FAIL: $*" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; rm -rf "$tmp"' EXIT
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data"
mkdir -p "$HOME"

# 1. First run on the default data folder.
"$exe" >"$tmp/out" 2>&1 &
pid=$!
data="$XDG_DATA_HOME/Kestrova/Data"
for _ in $(seq 1 100); do
  [ -f "$data/todo.DAT" ] && [ -f "$data/Tinout.DAT" ] && break
  sleep 0.1
done
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "the program ended at start-up: $(cat "$tmp/out")"
for f in Customer.DAT JobCode.DAT Tinout201.DAT Tinout.DAT kvdef.DAT todo.DAT; do
  [ -f "$data/$f" ] || fail "missing $f"
done
n=$(sqlite3 "$data/kvdef.DAT" 'SELECT count(*) FROM kvdef;') || fail "kvdef.DAT unreadable"
[ "$n" = 1 ] || fail "expected one configuration record, found $n"
show=$(sqlite3 "$data/kvdef.DAT" 'SELECT TutorialShow FROM kvdef;')
[ "$show" = 1 ] || fail "TutorialShow should be set on the first run, is '$show'"
kill "$pid"; wait "$pid" 2>/dev/null

# 2. A configured data folder that does not exist.
mkdir -p "$XDG_CONFIG_HOME/Kestrova"
printf '[Kestrovav20]\nInstallDir1=%s\n' "$tmp/missing" >"$XDG_CONFIG_HOME/Kestrova/Kestrova.conf"
"$exe" >"$tmp/out2" 2>"$tmp/err2" &
pid=$!
wait "$pid"; rc=$?
[ $rc -eq 1 ] || fail "expected exit code 1 for a missing data folder, got $rc"
grep -q "$tmp/missing/Data/" "$tmp/err2" || fail "stderr does not name the file: $(cat "$tmp/err2")"
[ -d "$tmp/missing" ] && fail "the missing folder must not be created"

# 3. Commands of the program itself: import-v1 is a command, not an unknown argument.
"$exe" import-v1 --from "$tmp/no-such-folder" >"$tmp/out3" 2>&1; rc=$?
[ $rc -eq 1 ] || fail "import-v1 from a missing folder should exit 1, got $rc: $(cat "$tmp/out3")"
grep -q "no-such-folder" "$tmp/out3" || fail "import-v1 does not name the folder: $(cat "$tmp/out3")"
"$exe" --help >"$tmp/out4" 2>&1 || fail "--help should exit 0"
grep -q "import-v1" "$tmp/out4" || fail "--help does not list import-v1"
"$exe" no-such-command >/dev/null 2>&1; rc=$?
[ $rc -eq 2 ] || fail "an unknown command should exit 2, got $rc"

# 4. No display.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$run_app" "$exe" 2>&1); rc=$?
[ $rc -eq 1 ] || fail "run-app without a display should exit 1, got $rc"
[ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || fail "run-app should say one line: $out"
echo "ok"
