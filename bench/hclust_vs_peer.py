#!/usr/bin/env python3
"""Times the hclust tool against the peer pipeline SciPy pdist + fastcluster linkage.

Both run as whole processes on the same seeded CSV file (read the file, compute the distance
matrix, cluster, write the merge table to a pipe that is discarded), alternately, several
times each. Prints medians, the ratio hclust / peer and the peak resident set size of each
process (from wait4), next to the memory bound 1.05 * 8*n(n-1)/2 bytes + 32 MiB.

    bench/hclust_vs_peer.py [--sizes 5000,10000,20000] [--repeats 3] [--rules all]
                            [--data uniform,int] [--hclust build/tools/hclust] [--vectors]

With --vectors both sides cluster the data vectors without a distance matrix: hclust
--method ward.D2 --low-memory against fastcluster's linkage_vector(x, "ward").

With --analysis the peer is SciPy alone (/usr/bin/python3): a condensed distance matrix as
input (hclust --input distances against linkage(y, "average")), every metric beyond the
Euclidean one (hclust --distance M against pdist(x, M) then linkage), centroid and median
(against linkage(x, M)) and the optimal leaf ordering (against optimal_leaf_ordering).

The peers are needed only here: on Debian, apt-get install python3-scipy python3-fastcluster.
Without fastcluster the peer is SciPy's linkage (on the vectors SciPy computes the distances
itself); the first line of the output names the peer used.
"""
import argparse
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))

# hclust rule -> fastcluster method with the same update. fastcluster has no flexible-beta
# rule; "weighted" (WPGMA) has the same cost profile and stands in for it.
PEER_METHOD = {
    "single": "single",
    "complete": "complete",
    "ward": "ward",        # Lance-Williams Ward on the distances as given, like cmWard
    "weighted": "weighted",  # WPGMA
    "flexible": "weighted",
    "average": "average",    # UPGMA
}

PEER_SCRIPT = r"""
import sys
import numpy as np
from scipy.spatial.distance import pdist
import fastcluster
x = np.loadtxt(sys.argv[1], delimiter=",", ndmin=2)
z = fastcluster.linkage(pdist(x, "euclidean"), method=sys.argv[2])
np.savetxt(sys.stdout, z, delimiter=",", fmt="%.17g")
"""

PEER_VECTOR_SCRIPT = r"""
import sys
import numpy as np
import fastcluster
x = np.loadtxt(sys.argv[1], delimiter=",", ndmin=2)
z = fastcluster.linkage_vector(x, method="ward")
np.savetxt(sys.stdout, z, delimiter=",", fmt="%.17g")
"""


# --analysis: name -> (hclust arguments, SciPy script arguments). {data} and {dist} are the
# data file and its condensed distances (one value per line).
ANALYSIS_SCRIPT = r"""
import sys
import numpy as np
from scipy.cluster.hierarchy import linkage, leaves_list, optimal_leaf_ordering
from scipy.spatial.distance import pdist
task, path = sys.argv[1], sys.argv[2]
if task == "distances":
    z = linkage(np.loadtxt(path), "average")
    np.savetxt(sys.stdout, z, delimiter=",", fmt="%.17g")
    sys.exit()
x = np.loadtxt(path, delimiter=",", ndmin=2)
if task.startswith("metric:"):
    metric = task[7:]
    y = pdist(x, "minkowski", p=3) if metric == "minkowski" else pdist(x, metric)
    z = linkage(y, "average")
elif task in ("centroid", "median"):
    z = linkage(x, task)
elif task == "optimal":
    y = pdist(x)
    z = linkage(y, "average")
    np.savetxt(sys.stdout, leaves_list(optimal_leaf_ordering(z, y)), fmt="%d")
    sys.exit()
np.savetxt(sys.stdout, z, delimiter=",", fmt="%.17g")
"""

ANALYSIS_TASKS = [
    ("distances", ["--input", "distances", "--method", "average", "{dist}"], "distances"),
    ("maximum/chebyshev", ["--distance", "maximum", "--method", "average", "{data}"], "metric:chebyshev"),
    ("canberra", ["--distance", "canberra", "--method", "average", "{data}"], "metric:canberra"),
    ("minkowski p=3", ["--distance", "minkowski", "--p", "3", "--method", "average", "{data}"],
     "metric:minkowski"),
    ("cosine", ["--distance", "cosine", "--method", "average", "{data}"], "metric:cosine"),
    ("correlation", ["--distance", "correlation", "--method", "average", "{data}"], "metric:correlation"),
    ("hamming", ["--distance", "hamming", "--method", "average", "{data}"], "metric:hamming"),
    ("binary/jaccard", ["--distance", "binary", "--method", "average", "{data}"], "metric:jaccard"),
    ("centroid", ["--method", "centroid", "{data}"], "centroid"),
    ("median", ["--method", "median", "{data}"], "median"),
    ("optimal order", ["--method", "average", "--order", "optimal", "{data}"], "optimal"),
]


def analysis(args, sizes, kinds):
    peer = "/usr/bin/python3"
    print(f"# {os.cpu_count()} CPUs, load average {os.getloadavg()[0]:.2f} at start; "
          f"{args.repeats} runs each, {args.columns} columns; peer: SciPy")
    print("| data | n | task | hclust s | SciPy s | ratio | hclust MiB | SciPy MiB |")
    print("|---|---:|---|---:|---:|---:|---:|---:|")
    with tempfile.TemporaryDirectory() as tmp:
        for kind in kinds:
            for n in sizes:
                data = os.path.join(tmp, f"{kind}-{n}.csv")
                write_data(data, kind, n, args.columns, args.seed)
                dist = os.path.join(tmp, f"{kind}-{n}-dist.txt")
                subprocess.run([peer, "-c", "import sys, numpy as np; from scipy.spatial.distance "
                                "import pdist; np.savetxt(sys.argv[2], pdist(np.loadtxt(sys.argv[1], "
                                "delimiter=',', ndmin=2)), fmt='%.17g')", data, dist], check=True)
                for name, ours_args, task in ANALYSIS_TASKS:
                    if args.rules != "all" and name not in args.rules.split(","):
                        continue
                    cmd = [args.hclust] + [a.format(data=data, dist=dist) for a in ours_args]
                    path = dist if task == "distances" else data
                    ours, theirs = [], []
                    for _ in range(args.repeats):
                        ours.append(run(cmd))
                        theirs.append(run([peer, "-c", ANALYSIS_SCRIPT, task, path]))
                    t_ours = statistics.median(t for t, _ in ours)
                    t_peer = statistics.median(t for t, _ in theirs)
                    print(f"| {kind} | {n} | {name} | {t_ours:.2f} | {t_peer:.2f} | "
                          f"{t_ours / t_peer:.2f} | {max(m for _, m in ours):.0f} | "
                          f"{max(m for _, m in theirs):.0f} |", flush=True)
    print(f"# load average {os.getloadavg()[0]:.2f} at the end")

# Without fastcluster the peer is SciPy's own linkage (on the vectors it computes the
# distances itself, so that peer is not memory-free).
PEER_SCRIPT_SCIPY = r"""
import sys
import numpy as np
from scipy.spatial.distance import pdist
from scipy.cluster.hierarchy import linkage
x = np.loadtxt(sys.argv[1], delimiter=",", ndmin=2)
z = linkage(pdist(x, "euclidean"), method=sys.argv[2])
np.savetxt(sys.stdout, z, delimiter=",", fmt="%.17g")
"""

PEER_VECTOR_SCRIPT_SCIPY = r"""
import sys
import numpy as np
from scipy.cluster.hierarchy import linkage
x = np.loadtxt(sys.argv[1], delimiter=",", ndmin=2)
z = linkage(x, method="ward")
np.savetxt(sys.stdout, z, delimiter=",", fmt="%.17g")
"""


def find_peer_python():
    """(python, "fastcluster" or "scipy"): fastcluster where present, else SciPy."""
    for flavour, probe in (("fastcluster", "import numpy, scipy.spatial, fastcluster"),
                           ("scipy", "import numpy, scipy.spatial, scipy.cluster.hierarchy")):
        for exe in dict.fromkeys([sys.executable, "/usr/bin/python3"]):
            if not os.path.exists(exe):
                continue
            ok = subprocess.run([exe, "-c", probe],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if ok.returncode == 0:
                return exe, flavour
    sys.exit("The peer pipeline needs NumPy and SciPy for Python 3 (fastcluster if present).\n"
             "On Debian: sudo apt-get install python3-scipy python3-fastcluster")


def write_data(path, kind, n, cols, seed):
    rng = random.Random(f"{kind}-{n}-{cols}-{seed}")
    with open(path, "w") as f:
        for _ in range(n):
            if kind == "uniform":
                row = (repr(rng.random()) for _ in range(cols))
            else:
                row = (str(rng.randint(0, 9)) for _ in range(cols))
            f.write(",".join(row) + "\n")


def run(cmd):
    """Wall seconds and peak RSS in MiB of one process; its output goes to a discarded pipe."""
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    seconds = time.perf_counter() - start
    err = proc.stderr.read().decode(errors="replace")
    proc.stderr.close()
    if status != 0:
        sys.exit(f"failed ({status}): {' '.join(cmd)}\n{err}")
    return seconds, usage.ru_maxrss / 1024.0


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--sizes", default="5000,10000,20000")
    ap.add_argument("--repeats", type=int, default=3)
    ap.add_argument("--rules", default="all")
    ap.add_argument("--data", default="uniform,int")
    ap.add_argument("--columns", type=int, default=10)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--hclust", default=os.path.join(HERE, "..", "build", "tools", "hclust"))
    ap.add_argument("--vectors", action="store_true")
    ap.add_argument("--analysis", action="store_true")
    args = ap.parse_args()

    if not os.access(args.hclust, os.X_OK):
        sys.exit(f"{args.hclust} not found: build first (./run.sh or cmake --build build)")
    if args.analysis:
        analysis(args, [int(s) for s in args.sizes.split(",")], args.data.split(","))
        return
    peer_python, flavour = find_peer_python()
    peer_script, peer_vector_script = (
        (PEER_SCRIPT, PEER_VECTOR_SCRIPT) if flavour == "fastcluster"
        else (PEER_SCRIPT_SCIPY, PEER_VECTOR_SCRIPT_SCIPY))
    rules = list(PEER_METHOD) if args.rules == "all" else args.rules.split(",")
    if args.vectors:
        rules = ["ward.D2"]
    sizes = [int(s) for s in args.sizes.split(",")]
    kinds = args.data.split(",")

    print(f"# {os.cpu_count()} CPUs, load average {os.getloadavg()[0]:.2f} at start; "
          f"{args.repeats} runs each, {args.columns} columns, Euclidean distances; peer {flavour}")
    print("| data | n | rule (peer) | hclust s | peer s | ratio | hclust MiB | peer MiB | bound MiB |")
    print("|---|---:|---|---:|---:|---:|---:|---:|---:|")
    with tempfile.TemporaryDirectory() as tmp:
        for kind in kinds:
            for n in sizes:
                path = os.path.join(tmp, f"{kind}-{n}.csv")
                write_data(path, kind, n, args.columns, args.seed)
                bound = (1.05 * 8 * n * (n - 1) / 2) / 2**20 + 32
                if args.vectors:
                    bound = 3 * 8 * n * args.columns / 2**20 + 32
                for rule in rules:
                    ours, peer = [], []
                    for _ in range(args.repeats):
                        if args.vectors:
                            ours.append(run([args.hclust, "--method", rule, "--low-memory", path]))
                            peer.append(run([peer_python, "-c", peer_vector_script, path]))
                            continue
                        ours.append(run([args.hclust, "--method", rule, "--distance", "euclid", path]))
                        peer.append(run([peer_python, "-c", peer_script, path, PEER_METHOD[rule]]))
                    t_ours = statistics.median(t for t, _ in ours)
                    t_peer = statistics.median(t for t, _ in peer)
                    rss_ours = max(m for _, m in ours)
                    rss_peer = max(m for _, m in peer)
                    peer_name = PEER_METHOD.get(rule, "ward")
                    if args.vectors:
                        peer_name = ("linkage_vector ward" if flavour == "fastcluster"
                                     else "scipy linkage ward on vectors")
                    elif flavour == "scipy":
                        peer_name = "scipy " + peer_name
                    print(f"| {kind} | {n} | {rule} ({peer_name}) | {t_ours:.2f} | "
                          f"{t_peer:.2f} | {t_ours / t_peer:.2f} | {rss_ours:.0f} | "
                          f"{rss_peer:.0f} | {bound:.0f} |", flush=True)
    print(f"# load average {os.getloadavg()[0]:.2f} at the end")


if __name__ == "__main__":
    main()
