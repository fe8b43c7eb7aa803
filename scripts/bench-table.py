#!/usr/bin/env python3
"""Runs the list-page benchmarks and prints one table: each page's time at
10 000, 100 000 and 1 000 000 assignments side by side, its growth from the
smallest to the largest size, and what the page cost the engine at the largest
size (SQLite's steps, the server's round trips, the server/SQLite ratio of
the mean times and the median of the ratios of reads made back to back).

    scripts/bench-table.py BUILD_DIR [BENCHMARK ...]

BENCHMARK defaults to bench_store, bench_lists, bench_views and, when
TKO_BENCH_PG names a server, bench_engines. Extra arguments after "--" go to
every benchmark (e.g. -- --benchmark_filter=DueNow).
"""
import json
import os
import re
import subprocess
import sys

SIZES = (10000, 100000, 1000000)
COUNTERS = ("rows", "vm_steps", "round_trips", "sqlite_us", "postgres_us", "ratio", "ratio_p50")


def run(program, extra):
    result = subprocess.run([program, "--benchmark_format=json"] + extra,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    if result.returncode != 0 or not result.stdout.strip():
        print(f"{os.path.basename(program)}: failed (exit {result.returncode})", file=sys.stderr)
        return []
    return json.loads(result.stdout).get("benchmarks", [])


def split_size(name):
    """The benchmark name without its size argument, and the size (or None)."""
    parts = name.split("/")
    for i, part in enumerate(parts):
        value = part.split(":")[-1]
        if value.isdigit() and int(value) in SIZES:
            return "/".join(parts[:i] + parts[i + 1:]), int(value)
    return name, None


def microseconds(bench):
    factor = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[bench.get("time_unit", "ns")]
    return bench["real_time"] * factor


def main():
    args = sys.argv[1:]
    extra = []
    if "--" in args:
        extra = args[args.index("--") + 1:]
        args = args[:args.index("--")]
    if not args:
        print(__doc__, file=sys.stderr)
        return 2
    build = args[0]
    programs = args[1:] or ["bench_store", "bench_lists", "bench_views"] + (
        ["bench_engines"] if os.environ.get("TKO_BENCH_PG") else [])
    rows = {}  # (program, case) -> {size: bench}
    order = []
    for program in programs:
        path = os.path.join(build, "bin", program)
        if not os.access(path, os.X_OK):
            print(f"{program}: not built", file=sys.stderr)
            continue
        for bench in run(path, extra):
            if bench.get("run_type") == "aggregate" or bench.get("error_occurred"):
                continue
            case, size = split_size(bench["name"])
            case = re.sub(r"/real_time$", "", case)
            label = bench.get("label", "")
            key = (program, case + (f"  {label}" if label else ""))
            if key not in rows:
                rows[key] = {}
                order.append(key)
            rows[key][size] = bench

    header = ["page", "10 000", "100 000", "1 000 000", "growth"] + list(COUNTERS)
    table = [header]
    others = []
    for key in order:
        sizes = rows[key]
        if None in sizes:  # no size: adds, changes, file sizes
            others.append(f"{key[0]}: {key[1]}: {microseconds(sizes[None]):.0f} us")
            continue
        times = [microseconds(sizes[s]) if s in sizes else None for s in SIZES]
        known = [t for t in times if t is not None]
        growth = f"{known[-1] / known[0]:.1f}x" if len(known) > 1 and known[0] > 0 else ""
        largest = sizes.get(SIZES[-1]) or sizes[max(sizes)]
        counters = []
        for name in COUNTERS:
            value = largest.get(name)
            counters.append("" if value is None else f"{value:.4g}")
        table.append([f"{key[0]}: {key[1]}"] +
                     ["" if t is None else f"{t:.0f} us" for t in times] + [growth] + counters)
    widths = [max(len(row[i]) for row in table) for i in range(len(header))]
    for n, row in enumerate(table):
        cells = [row[0].ljust(widths[0])] + [row[i].rjust(widths[i]) for i in range(1, len(row))]
        print("  ".join(cells))
        if n == 0:
            print("  ".join("-" * w for w in widths))
    if others:
        print()
        for line in others:
            print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main())
