#!/usr/bin/env python3
"""report.py on small hand-made Google Benchmark outputs."""
import json
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))


def agg(name, kind, t, unit="ns", reps=5):
    return {"name": f"{name}_{kind}", "run_name": name, "run_type": "aggregate", "aggregate_name": kind,
            "repetitions": reps, "cpu_time": t, "real_time": t, "time_unit": unit}


def plain(name, t, unit="ns", **extra):
    b = {"name": name, "run_name": name, "run_type": "iteration", "cpu_time": t, "real_time": t, "time_unit": unit}
    b.update(extra)
    return b


CONTEXT = {"date": "2026-01-02T03:04:05+00:00", "num_cpus": 2, "mhz_per_cpu": 2100, "host_name": "box",
           "load_avg": [0.5, 0.25, 0.0], "library_build_type": "release",
           "caches": [{"type": "Data", "level": 1, "size": 32768}]}


class ReportTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.dir.cleanup()

    def write(self, name, benchmarks):
        path = os.path.join(self.dir.name, name)
        with open(path, "w") as f:
            json.dump({"context": CONTEXT, "benchmarks": benchmarks}, f)
        return path

    def run_report(self, *args):
        out = subprocess.run([sys.executable, os.path.join(HERE, "report.py"), *args], capture_output=True,
                             text=True, check=True)
        return out.stdout

    def row(self, text, start):
        rows = [l for l in text.splitlines() if l.startswith(start)]
        self.assertEqual(len(rows), 1, f"{start!r} in:\n{text}")
        return [c.strip() for c in rows[0].strip("|").split("|")]

    def test_median_of_the_aggregates_and_units(self):
        # Means and deviations are ignored; ours in µs against a peer in ns.
        plainf = self.write("a.json", [
            agg("Fill/ours/640x480", "mean", 999), agg("Fill/ours/640x480", "median", 2, "us"),
            agg("Fill/ours/640x480", "stddev", 1), agg("Fill/pixman/640x480", "mean", 1),
            agg("Fill/pixman/640x480", "median", 4000),
        ])
        out = self.run_report(f"utils={plainf}")
        self.assertEqual(self.row(out, "| Fill |"), ["Fill", "640x480", "pixman", "0.50x"])

    def test_single_runs_and_failed_runs(self):
        f = self.write("a.json", [
            plain("Blit/ours/8x8", 30), plain("Blit/sdl/8x8", 10),
            plain("Blit/ours/16x16", 5, error_occurred=True), plain("Blit/sdl/16x16", 10),
            plain("NoSize/ours", 1),
        ])
        out = self.run_report(f"utils={f}")
        self.assertEqual(self.row(out, "| Blit | 8x8 |")[3], "3.00x")
        self.assertEqual(self.row(out, "| Blit | 16x16 |")[3], "-")
        self.assertNotIn("NoSize", out)

    def test_each_build_against_the_peer_of_its_own_run(self):
        a = self.write("a.json", [agg("Mix/ours/2x2", "median", 20), agg("Mix/memcpy/2x2", "median", 10)])
        b = self.write("b.json", [agg("Mix/ours/2x2", "median", 20), agg("Mix/memcpy/2x2", "median", 40),
                                  agg("Only/ours/2x2", "median", 1), agg("Only/loop/2x2", "median", 4)])
        out = self.run_report(f"utils={a}", f"utilsmmx={b}")
        self.assertEqual(self.row(out, "| Mix |")[3:], ["2.00x", "0.50x"])
        self.assertEqual(self.row(out, "| Only |")[3:], ["-", "0.25x"])

    def test_markdown_page(self):
        a = self.write("a.json", [agg("Mix/ours/2x2", "median", 20), agg("Mix/memcpy/2x2", "median", 10),
                                  agg("Mix/ours/10x10", "median", 80), agg("Mix/memcpy/10x10", "median", 40),
                                  agg("Add/ours/2x2", "median", 1, "ms"), agg("Add/pixman/2x2", "median", 4, "ms")])
        out = self.run_report("--markdown", "--rerun=bash scripts/bench.sh", "--cpu=Test CPU",
                              "--build-type=Release", f"utils={a}")
        self.assertIn("bash scripts/bench.sh", out)
        self.assertIn("| processor | Test CPU |", out)
        self.assertIn("2026-01-02T03:04:05+00:00", out)
        self.assertIn("medians of 5 repetitions", out)
        # Ratios 2, 2 and 0.25: one faster, geometric mean 1.
        self.assertEqual(self.row(out, "| utils |"), ["utils", "3", "1", "1.00x"])
        self.assertEqual(self.row(out, "| Add |"), ["Add", "2x2", "pixman", "4 ms", "1 ms", "0.25x"])
        # Sizes in order of area, not of text.
        lines = out.splitlines()
        self.assertLess(lines.index(next(l for l in lines if l.startswith("| Mix | 2x2"))),
                        lines.index(next(l for l in lines if l.startswith("| Mix | 10x10"))))

    def test_summary_keeps_the_16bit_layouts_apart(self):
        # 565 and 555 count wherever they stand as a word of the group's
        # name; 1555, 4444 and numbers that merely contain 565 do not.
        a = self.write("a.json", [
            agg("DoSuma_565/ours/2x2", "median", 1), agg("DoSuma_565/pixman/2x2", "median", 4),
            agg("DoSuma_555_masked/ours/2x2", "median", 4), agg("DoSuma_555_masked/pixman/2x2", "median", 1),
            agg("Convert_32_565/ours/2x2", "median", 1), agg("Convert_32_565/sdl2/2x2", "median", 1),
            agg("DoSuma_32/ours/2x2", "median", 2), agg("DoSuma_32/pixman/2x2", "median", 1),
            agg("SetPixel_1555/ours/2x2", "median", 2), agg("SetPixel_1555/loop/2x2", "median", 1),
            agg("Line5650_32/ours/2x2", "median", 2), agg("Line5650_32/sdl/2x2", "median", 1),
        ])
        b = self.write("b.json", [agg("DoSuma_565/ours/2x2", "median", 1), agg("DoSuma_565/pixman/2x2", "median", 2)])
        out = self.run_report("--markdown", f"utils={a}", f"utilsmmx={b}")
        self.assertEqual(self.row(out, "| utils |"), ["utils", "6", "1", "1.41x"])
        # Ratios 0.25, 4 and 1; then 2, 2 and 2.
        self.assertEqual(self.row(out, "| 565, 555 | utils |"), ["565, 555", "utils", "3", "1", "1.00x"])
        self.assertEqual(self.row(out, "| other kinds | utils |"), ["other kinds", "utils", "3", "0", "2.00x"])
        # A build without such pairs says so.
        self.assertEqual(self.row(out, "| 565, 555 | utilsmmx |"), ["565, 555", "utilsmmx", "1", "1", "0.50x"])
        self.assertEqual(self.row(out, "| other kinds | utilsmmx |"), ["other kinds", "utilsmmx", "0", "-", "-"])


if __name__ == "__main__":
    unittest.main()
