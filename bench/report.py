#!/usr/bin/env python3
"""Turns Google Benchmark JSON output into one table of ratios.

Rows are named GROUP/IMPL/WxH; IMPL "ours" is the library, any other IMPL is
a peer measured in the same process. For every group and size the table
gives the median time of ours divided by the median time of each peer, for
every build whose JSON is given (bench_utils.json, bench_utilsmmx.json, ...).

With --markdown the output is a whole page: the machine, the date, how to
rerun, a summary per build (overall, then the 16-bit layouts 565 and 555
apart from the other kinds) and the table with the times beside the ratios.

usage: report.py [--markdown] [--rerun=COMMAND] [--cpu=MODEL] [--build-type=TYPE] BUILD=FILE.json [BUILD=FILE.json ...]
"""
import json
import math
import os
import sys
from collections import defaultdict


def medians(path):
    data = json.load(open(path))
    out = {}
    for b in data["benchmarks"]:
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        if b.get("error_occurred"):
            continue
        name = b.get("run_name", b["name"])
        if name.endswith("_median"):
            name = name[: -len("_median")]
        parts = name.split("/")
        if len(parts) < 3:
            continue
        group, impl, size = parts[0], parts[1], parts[2]
        t = b["cpu_time"] * UNIT_NS.get(b.get("time_unit", "ns"), 1.0)
        if b.get("repetitions"):
            REPETITIONS.add(b["repetitions"])
        # Without repetitions there is one plain run per row.
        if b.get("run_type") == "aggregate" or (group, impl, size) not in out:
            out[(group, impl, size)] = t
    return out, data.get("context", {})


REPETITIONS = set()
UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def size_key(size):
    w, _, h = size.partition("x")
    try:
        return (int(w) * int(h), size)
    except ValueError:
        return (0, size)


def fmt_time(ns):
    if ns is None:
        return "-"
    for unit, scale in (("s", 1e9), ("ms", 1e6), ("µs", 1e3)):
        if ns >= scale:
            return f"{ns / scale:.3g} {unit}"
    return f"{ns:.3g} ns"


def collect(builds):
    """(group, size, peer) -> {build: (ours, theirs)}, measured in one process."""
    rows = defaultdict(dict)
    for build, m in builds:
        for (group, impl, size), theirs in m.items():
            if impl == "ours":
                continue
            ours = m.get((group, "ours", size))
            rows[(group, size, impl)][build] = (ours, theirs)
    return rows


def ratio(pair):
    if not pair or not pair[0] or not pair[1]:
        return None
    return pair[0] / pair[1]


def is_16bit(group):
    """True for a group on R5G6B5 or X1R5G5B5 pixels: one of its _-separated words is 565 or 555."""
    return any(w in ("565", "555") for w in group.split("_"))


def summary(rows, build):
    """Pairs, how many ours wins and the geometric mean of the ratios, as table cells."""
    rs = [r for r in (ratio(v.get(build)) for v in rows.values()) if r]
    if not rs:
        return "0 | - | -"
    gm = math.exp(sum(math.log(r) for r in rs) / len(rs))
    return f"{len(rs)} | {sum(r < 1 for r in rs)} | {gm:.2f}x"


def cpuinfo():
    """Model name and physical core count from /proc/cpuinfo, when there is one."""
    model, cores = None, set()
    try:
        with open("/proc/cpuinfo") as f:
            phys = core = None
            for line in f:
                key, _, value = (x.strip() for x in line.partition(":"))
                if key == "model name" and model is None:
                    model = value
                elif key == "physical id":
                    phys = value
                elif key == "core id":
                    core = value
                elif not key and core is not None:
                    cores.add((phys, core))
                    phys = core = None
            if core is not None:
                cores.add((phys, core))
    except OSError:
        pass
    return model, len(cores) or None


def plain_table(builds, rows):
    lines = ["| operation | size | peer | " + " | ".join(f"{b} time / peer" for b, _ in builds) + " |",
             "|---|---|---|" + "---|" * len(builds)]
    for (group, size, peer) in sorted(rows, key=lambda k: (k[0], size_key(k[1]), k[2])):
        cells = []
        for build, _ in builds:
            r = ratio(rows[(group, size, peer)].get(build))
            cells.append(f"{r:.2f}x" if r else "-")
        lines.append(f"| {group} | {size} | {peer} | " + " | ".join(cells) + " |")
    return lines


def markdown(builds, rows, context, rerun, cpu, cores, build_type):
    names = [b for b, _ in builds]
    out = ["# Benchmarks", ""]
    out.append("Each kernel of the library (\"ours\") against a peer that does the same job, both measured in "
               "the same process on the same pixels. The ratio is our median time over the peer's: below 1 we are "
               "faster. The columns are the library's builds: " + ", ".join(f"`{b}`" for b in names) + ". "
               "Peers named memcpy, memset, load-loop and store-loop only move the pixels: they are a floor, "
               "not a rival.")
    out.append("")
    if rerun:
        out += ["Rerun (writes this file):", "", "```sh", rerun, "```", ""]
    caches = ", ".join(f"L{c.get('level')} {c.get('type', '').lower()} {c.get('size', 0) // 1024} KiB"
                       for c in context.get("caches", []))
    reps = "/".join(str(r) for r in sorted(REPETITIONS)) or "1"
    out.append("| | |")
    out.append("|---|---|")
    out.append(f"| date | {context.get('date', '?')} |")
    out.append(f"| processor | {cpu} |")
    out.append(f"| cores | {cores or '?'} physical, {context.get('num_cpus', '?')} logical, "
               f"at {context.get('mhz_per_cpu', '?')} MHz |")
    if caches:
        out.append(f"| caches | {caches} |")
    out.append(f"| host | {context.get('host_name', '?')}, load average "
               f"{', '.join(f'{x:.2f}' for x in context.get('load_avg', [])) or '?'} at the start |")
    out.append(f"| measured | {build_type} build of the library and the benchmarks, CPU time, "
               f"medians of {reps} repetitions |")
    out.append(f"| Google Benchmark | the installed library, built as "
               f"{context.get('library_build_type', '?')} (it runs only the timing loop) |")
    out.append("")

    out += ["## Summary", "", "| build | pairs | faster than the peer | geometric mean of ratios |", "|---|---|---|---|"]
    for b in names:
        out.append(f"| {b} | {summary(rows, b)} |")
    out.append("")
    out += ["The game draws on R5G6B5 and X1R5G5B5 surfaces: their pairs (any operation whose name has 565 or "
            "555 in it, conversions to and from them included) apart from the rest.", "",
            "| pixels | build | pairs | faster than the peer | geometric mean of ratios |", "|---|---|---|---|---|"]
    for label, sixteen in (("565, 555", True), ("other kinds", False)):
        part = {k: v for k, v in rows.items() if is_16bit(k[0]) == sixteen}
        for b in names:
            out.append(f"| {label} | {b} | {summary(part, b)} |")
    out.append("")

    head = "| operation | size | peer | peer time |"
    rule = "|---|---|---|---:|"
    for b in names:
        head += f" {b} | {b} / peer |"
        rule += "---:|---:|"
    out += ["## Every pair", "", head, rule]
    for (group, size, peer) in sorted(rows, key=lambda k: (k[0], size_key(k[1]), k[2])):
        per = rows[(group, size, peer)]
        first = next((per[b] for b in names if b in per), (None, None))
        line = f"| {group} | {size} | {peer} | {fmt_time(first[1])} |"
        for b in names:
            pair = per.get(b)
            r = ratio(pair)
            line += f" {fmt_time(pair[0] if pair else None)} | {f'{r:.2f}x' if r else '-'} |"
        out.append(line)
    out.append("")
    out.append("Times are CPU time per call, the median over the repetitions; the peer's time is from the first "
               "build's run. A dash means that build has no such kernel.")
    load, ncpu = (context.get("load_avg") or [0])[0], context.get("num_cpus") or 0
    if ncpu and load > ncpu:
        out.append("")
        out.append(f"The machine was busy with other work when the run began (load {load:.2f} on {ncpu} CPUs): "
                   "CPU times suffer less from that than wall times, and ours and the peer shared the same "
                   "conditions, but read differences of a few per cent with care.")
    return out


def main(argv):
    opts = {}
    args = []
    for a in argv:
        if a.startswith("--"):
            k, _, v = a[2:].partition("=")
            opts[k] = v
        else:
            args.append(a)
    if not args:
        sys.exit(__doc__.strip().splitlines()[-1])
    builds = []
    context = {}
    for a in args:
        build, _, path = a.partition("=")
        if not path:
            sys.exit(f"report.py: want BUILD=FILE.json, not '{a}'")
        m, ctx = medians(path)
        context = context or ctx
        builds.append((build, m))
    rows = collect(builds)
    if "markdown" in opts:
        model, cores = cpuinfo()
        lines = markdown(builds, rows, context, opts.get("rerun", ""), opts.get("cpu") or model or "?",
                         None if "cpu" in opts else cores, opts.get("build-type") or "?")
    else:
        lines = plain_table(builds, rows)
        if context:
            lines += ["", f"Machine: {context.get('num_cpus', '?')} CPUs at {context.get('mhz_per_cpu', '?')} MHz, "
                          f"run {context.get('date', '?')}; medians of repeated runs, ratio < 1 means faster "
                          f"than the peer."]
    sys.stdout.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[1:])
