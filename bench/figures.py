#!/usr/bin/env python3
"""Prints one table of the benchmark figures beside their targets from the JSON files that
scripts/run-bench writes: each figure, its target, and value and ratio at 25k, 100k and 1M
records where it applies (ratio = value / target for times, target / value for rates, so a
ratio above 1 misses the target)."""
import json
import os
import re
import sys

# (program, benchmark name, extra argument or None) -> (figure, kind, target)
# kind: "ms" (time, at most the target) or "rate" (records per second, at least the target).
TARGETS = [
    ("bench_timelog", "BM_ClientFilterAppliedAndShown", None, "client filter applied, first screen", "ms", 150),
    ("bench_timelog", "BM_MonthFilterAppliedAndShown", None, "one-month date filter applied, first screen", "ms", 100),
    ("bench_timelog", "BM_TotalHoursClientFilter", None, "total of a client filter (window)", "ms", 150),
    ("bench_timelog", "BM_PostWithClientFilter", None, "post under a client filter (window)", "ms", 50),
    ("bench_timelog", "BM_ShowWithFirstScreen", None, "window shown with first screen", "ms", None),
    ("bench_timelog", "BM_SortSwitchByTitleClick", None, "sort switch", "ms", None),
    ("bench_store", "BM_TotalHoursClientTerm", "0", "client total+count, store term, any case", "ms", 150),
    ("bench_store", "BM_TotalHoursClientTerm", "1", "client total+count, store term, case", "ms", 150),
    ("bench_store", "BM_TotalHoursClientFilter", None, "client total, C++ predicate", "ms", 150),
    ("bench_store", "BM_IterateLog", "0", "walk in date order", "rate", 1_200_000),
    ("bench_store", "BM_IterateLog", "1", "walk in client order", "rate", 400_000),
    ("bench_store", "BM_IterateLog", "2", "walk in job order", "rate", 400_000),
    ("bench_export", "BM_ExportFormat", "0", "export to csv, file mode", "ms", 300),
    ("bench_export", "BM_ExportFormat", "1", "export to tab, file mode", "ms", 300),
    ("bench_export", "BM_ExportFormat", "2", "export to text, file mode", "ms", 300),
    ("bench_export", "BM_ExportFormat", "3", "export to detailed, file mode", "ms", 300),
    ("bench_export", "BM_ExportFormat", "4", "export to html, file mode", "ms", 300),
    ("bench_export", "BM_ExportFormat", "5", "export to rtf, file mode", "ms", 300),
    ("bench_export", "BM_ExportFormat", "6", "export to dif, file mode", "ms", 300),
    ("bench_export", "BM_ExportFormat", "7", "export to sylk, file mode", "ms", 300),
    ("bench_export", "BM_ExportFormat", "8", "export to xls, file mode", "ms", 300),
    ("bench_export", "BM_ExportWithProgressWindow", None, "export to csv with the progress window", "ms", 300),
    ("bench_export", "BM_CommandLineCsv", None, "command-line export, CSV", "ms", None),
    ("bench_cascade", "BM_RenameClient", None, "rename cascade, 10k of 100k", "ms", 300),
    ("bench_timelog_report", "BM_ListingToPdf", None, "complete listing to PDF", "ms", 1200),
]
SIZES = [25000, 100000, 1000000]
# Benchmarks that always run on one log size, whatever their arguments: the column they go in.
# (The listing to PDF prints 10k records of a 100k log; BIFF takes 65k, what a worksheet holds.)
FIXED_SIZE = {"BM_ExportFormat": 100000, "BM_ExportWithProgressWindow": 100000,
              "BM_RenameClient": 100000, "BM_ListingToPdf": 100000}


def load(folder):
    runs = {}
    for name in os.listdir(folder):
        if not name.endswith(".json"):
            continue
        try:
            with open(os.path.join(folder, name)) as f:
                data = json.load(f)
        except (OSError, ValueError):
            continue
        runs[name[:-5]] = [b for b in data.get("benchmarks", [])
                           if b.get("aggregate_name", "median") == "median"]
    return runs


def to_ms(b):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b.get("time_unit", "ns")]
    return b["real_time"] * scale


def main():
    folder = sys.argv[1]
    default_size = int(os.environ.get("KV_BENCH_RECORDS", "1000000"))
    runs = load(folder)
    rows = []
    for program, bench, extra, figure, kind, target in TARGETS:
        cells = {}
        for b in runs.get(program, []):
            parts = b.get("run_name", b["name"]).split("/")
            if parts[0] != bench:
                continue
            args = [p for p in parts[1:] if re.fullmatch(r"\d+", p)]
            sized = args and int(args[0]) in SIZES and bench not in FIXED_SIZE
            size = FIXED_SIZE.get(bench, int(args[0]) if sized else default_size)
            rest = args[1:] if sized else args
            if extra is not None and (not rest or rest[0] != extra):
                continue
            if kind == "rate":
                value = b.get("items_per_second", 0.0)
                text = "%.0fk/s" % (value / 1000)
                ratio = target / value if target and value else None
            else:
                value = to_ms(b)
                text = "%.0f ms" % value
                ratio = value / target if target else None
            if ratio is not None:
                text += " (%.2f)" % ratio
            cells.setdefault(size, text)
        if not cells:
            continue
        goal = "-" if target is None else ("<= %d ms" % target if kind == "ms" else ">= %dk/s" % (target // 1000))
        rows.append([figure, goal] + [cells.get(s, "") for s in SIZES])
    header = ["figure", "target", "25k", "100k", "1M"]
    widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(len(header))]
    line = lambda r: " | ".join(str(c).ljust(w) for c, w in zip(r, widths))
    print()
    print("Figures (median; ratio in brackets, above 1 misses the target); load: "
          + open("/proc/loadavg").read().split(" ", 3)[:3].__str__())
    print(line(header))
    print("-+-".join("-" * w for w in widths))
    for r in rows:
        print(line(r))


if __name__ == "__main__":
    main()
