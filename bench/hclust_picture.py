#!/usr/bin/python3
"""hclust --png against the clustering alone on the same data, in the same run.

    bench/hclust_picture.py [build/tools/hclust] [--rows 20000] [--repeats 3]

Prints the median wall time of each and the ratio; the picture comes from the tree hclust
computed (no second clustering), so the ratio should stay close to 1.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np


def main():
    args = sys.argv[1:]
    hclust = args[0] if args and not args[0].startswith("--") else "build/tools/hclust"
    rows = int(args[args.index("--rows") + 1]) if "--rows" in args else 20000
    repeats = int(args[args.index("--repeats") + 1]) if "--repeats" in args else 3
    with tempfile.TemporaryDirectory() as tmp:
        data = os.path.join(tmp, "data.csv")
        np.savetxt(data, np.random.default_rng(7).normal(size=(rows, 2)), delimiter=",")
        runs = {
            "clustering": [hclust, "--method", "ward.D2", data],
            "--png": [hclust, "--method", "ward.D2", "--png", os.path.join(tmp, "t.png"), data],
            "--svg": [hclust, "--method", "ward.D2", "--svg", os.path.join(tmp, "t.svg"), data],
        }
        times = {k: [] for k in runs}
        for _ in range(repeats):
            for name, cmd in runs.items():  # interleaved, so load changes hit all alike
                t0 = time.perf_counter()
                subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
                times[name].append(time.perf_counter() - t0)
        base = statistics.median(times["clustering"])
        for name, t in times.items():
            print(f"{name:12s} median {statistics.median(t):7.2f} s  ratio {statistics.median(t) / base:5.2f}")
        for ext in ("png", "svg"):
            print(f"t.{ext}: {os.path.getsize(os.path.join(tmp, 't.' + ext))} bytes")


if __name__ == "__main__":
    main()
