#!/usr/bin/env bash
# Times the command-line CSV export of the whole time log beside the sqlite3 shell's own CSV of
# the same rows in the same order, in paired runs (one of each, alternating), and prints the
# medians of wall and CPU time and the median of the per-pair ratios.
#
#   bench/export-vs-sqlite.sh [build-dir] [records] [pairs]
#
# The log is the one the benchmarks generate (/tmp/kestrova-bench/<records>/Data); run
# `make bench` (or build/release/bench/bench_export) once to create it.
set -eu
build="${1:-build/release}"
records="${2:-100000}"
pairs="${3:-5}"
data="${TMPDIR:-/tmp}/kestrova-bench/$records/Data"
bin="$build/app/kestrova"
[ -x "$bin" ] || bin="$(find "$build" -type f -name kestrova -perm -u+x | head -n1)"
[ -x "$bin" ] || { echo "no kestrova program under $build"; exit 1; }
[ -f "$data/Tinout201.DAT" ] || { echo "no generated log of $records records in $data"; exit 1; }
command -v sqlite3 >/dev/null || { echo "sqlite3 shell not installed"; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config/Kestrova"
printf '[Kestrovav20]\nInstallDir1=%s\n' "${data%/Data}" >"$work/config/Kestrova/Kestrova.conf"

query="SELECT WDate, CustName, JobDes, TaskDes, TimeIn, TimeOut, Hours, Billable
       FROM Tinout201 ORDER BY WDate, CustName, JobDes, TimeIn, TimeOut, rowid"

# Runs a command; prints "wall cpu" in seconds.
timed() {
  /usr/bin/time -f '%e %U %S' -o "$work/t" "$@" >/dev/null 2>&1
  awk '{ printf "%s %.2f\n", $1, $2 + $3 }' "$work/t"
}

: >"$work/k"; : >"$work/s"; : >"$work/r"
for i in $(seq "$pairs"); do
  k=$(XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/config" QT_QPA_PLATFORM=offscreen \
        timed "$bin" export --format csv --output "$work/log.csv")
  s=$(timed sh -c "sqlite3 -csv -header '$data/Tinout201.DAT' \"$query\" >'$work/shell.csv'")
  echo "$k" >>"$work/k"; echo "$s" >>"$work/s"
  echo "$k $s" | awk '{ if ($3 > 0) printf "%.3f\n", $1 / $3 }' >>"$work/r"
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "records: $records, pairs: $pairs, load: $(cut -d' ' -f1-3 /proc/loadavg)"
printf 'kestrova export csv: wall %s s, cpu %s s, %s bytes\n' \
  "$(cut -d' ' -f1 "$work/k" | median)" "$(cut -d' ' -f2 "$work/k" | median)" "$(stat -c %s "$work/log.csv")"
printf 'sqlite3 shell csv:   wall %s s, cpu %s s, %s bytes\n' \
  "$(cut -d' ' -f1 "$work/s" | median)" "$(cut -d' ' -f2 "$work/s" | median)" "$(stat -c %s "$work/shell.csv")"
printf 'ratio (median of pairs, kestrova / sqlite3): %s (target <= 1.0)\n' "$(median <"$work/r")"
