#!/usr/bin/env python3
"""Turns Google Benchmark JSON output into one table of ratios.

Rows are named GROUP/IMPL/WxH; IMPL "ours" is the library, any other IMPL is
a peer measured in the same process. For every group and size the table
gives the median time of ours divided by the median time of each peer, for
every build whose JSON is given (bench_utils.json, bench_utilsmmx.json, ...).

usage: report.py [--markdown] BUILD=FILE.json [BUILD=FILE.json ...]
"""
import json
import sys
from collections import defaultdict


def medians(path):
    data = json.load(open(path))
    out = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") not in (None, "median"):
            continue
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        name = b.get("run_name", b["name"]).replace("_median", "")
        parts = name.split("/")
        if len(parts) < 3:
            continue
        group, impl, size = parts[0], parts[1], parts[2]
        t = b["cpu_time"]
        # Without repetitions there is one plain run per row.
        if b.get("run_type") == "aggregate" or (group, impl, size) not in out:
            out[(group, impl, size)] = t
    return out, data.get("context", {})


def main(argv):
    args = [a for a in argv if not a.startswith("--")]
    builds = []
    context = {}
    for a in args:
        build, _, path = a.partition("=")
        m, context = medians(path)
        builds.append((build, m))
    rows = defaultdict(dict)
    peers = defaultdict(set)
    for build, m in builds:
        for (group, impl, size), t in m.items():
            if impl != "ours":
                peers[(group, size)].add(impl)
        for (group, impl, size), t in m.items():
            if impl == "ours":
                rows[(group, size)][build] = t
    print("| operation | size | peer | " + " | ".join(f"{b} time / peer" for b, _ in builds) + " |")
    print("|---|---|---|" + "---|" * len(builds))
    for (group, size) in sorted(rows):
        for peer in sorted(peers.get((group, size), [])):
            cells = []
            for build, m in builds:
                ours = m.get((group, "ours", size))
                theirs = m.get((group, peer, size))
                cells.append(f"{ours / theirs:.2f}x" if ours and theirs else "-")
            print(f"| {group} | {size} | {peer} | " + " | ".join(cells) + " |")
    if context:
        print()
        print(f"Machine: {context.get('num_cpus', '?')} CPUs at {context.get('mhz_per_cpu', '?')} MHz, "
              f"run {context.get('date', '?')}; medians of repeated runs, ratio < 1 means faster than the peer.")


if __name__ == "__main__":
    main(sys.argv[1:])
