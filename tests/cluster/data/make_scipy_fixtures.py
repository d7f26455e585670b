# Writes scipy_fixtures.txt: SciPy linkage matrices Z of small integer data sets with the
# leaf order of dendrogram(). Run once from this folder: /usr/bin/python3 make_scipy_fixtures.py
import numpy as np
from scipy.cluster.hierarchy import dendrogram, linkage

rng = np.random.default_rng(19)
with open("scipy_fixtures.txt", "w") as out:
    for n in (2, 5, 9, 20):
        x = rng.integers(0, 5, size=(n, 2)).astype(float)
        for method in ("single", "complete", "average", "ward", "centroid", "median"):
            z = linkage(x, method=method)
            leaves = dendrogram(z, no_plot=True)["leaves"]
            out.write(f"tree {method}{n} {n}\n")
            out.write("z " + " ".join(repr(float(v)) for v in z.ravel()) + "\n")
            out.write("leaves " + " ".join(str(v + 1) for v in leaves) + "\n")
            out.write("end\n")
