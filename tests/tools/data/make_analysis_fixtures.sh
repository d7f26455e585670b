#!/usr/bin/env bash
# Writes the data files and expected outputs of tests/tools/test_hclust_analysis.cpp with R
# and SciPy, independently of dendrokit: distance matrices as input, the peers' leaf orders,
# the metrics of R's dist and SciPy's pdist, distances from the pairs present, centroid and
# median linkage, several cuts at once and the optimal leaf ordering. Run once by hand
# (Debian: r-base-core, python3-scipy); the outputs are committed. Made with R 4.2.2 and
# SciPy 1.10.1.
set -euo pipefail
cd "$(dirname "$0")"

Rscript --vanilla - <<'R'
num <- function(x, file) writeLines(sprintf("%.17g", x), file)
write.csv(as.matrix(eurodist), "eurodist_matrix.csv")
num(as.vector(eurodist), "eurodist_condensed.txt")
he <- hclust(eurodist)
write.csv(data.frame(label = labels(eurodist), cluster = cutree(he, 4)), "eurodist_complete_cut4.csv",
          row.names = FALSE, quote = FALSE)
writeLines(as.character(he$order), "eurodist_complete_order_r.txt")
writeLines(as.character(hclust(eurodist, "average")$order), "eurodist_average_order_r.txt")
s <- scale(USArrests)
write.csv(s, "usarrests_scaled.csv")
ds <- dist(s)
writeLines(as.character(hclust(ds, "average")$order), "usarrests_average_order_r.txt")
writeLines(as.character(hclust(ds, "ward.D2")$order), "usarrests_ward.D2_order_r.txt")
ha <- hclust(ds, "average")
cuts <- cutree(ha, k = 2:6)
write.csv(data.frame(label = rownames(s), cuts, check.names = FALSE), "usarrests_average_cut2to6.csv",
          row.names = FALSE, quote = FALSE)
for (m in c("centroid", "median")) {
  h <- hclust(ds^2, m)
  num(sqrt(h$height), sprintf("usarrests_%s_heights_r.txt", m))
  write.table(h$merge, sprintf("usarrests_%s_merge_r.txt", m), row.names = FALSE, col.names = FALSE)
}
# Metrics: mtcars has zeros (vs, am) and so 0/0 terms for canberra.
write.csv(mtcars, "mtcars.csv")
x <- as.matrix(mtcars)
for (m in c("euclidean", "maximum", "manhattan", "canberra", "binary"))
  num(as.vector(dist(x, m)), sprintf("mtcars_%s_r.txt", m))
num(as.vector(dist(x, "minkowski", p = 3)), "mtcars_minkowski3_r.txt")
# Missing values: dist uses the pairs present and scales up.
aq <- airquality[1:40, 1:4]
write.csv(aq, "airquality40.csv")
for (m in c("euclidean", "manhattan", "maximum", "canberra"))
  num(as.vector(dist(aq, m)), sprintf("airquality40_%s_r.txt", m))
R

/usr/bin/python3 - <<'PY'
import numpy as np
from scipy.cluster.hierarchy import linkage, leaves_list, optimal_leaf_ordering
from scipy.spatial.distance import pdist
def save(name, v, fmt="%.17g"):
    np.savetxt(name, np.asarray(v), fmt=fmt)
eu = np.loadtxt("eurodist_condensed.txt")
for m in ("complete", "average"):
    z = linkage(eu, m)
    save("eurodist_%s_order_scipy.txt" % m, leaves_list(z) + 1, "%d")
    save("eurodist_%s_optimal_scipy.txt" % m, leaves_list(optimal_leaf_ordering(z, eu)) + 1, "%d")
s = np.loadtxt("usarrests_scaled.csv", delimiter=",", skiprows=1, usecols=(1, 2, 3, 4))
save("usarrests_average_order_scipy.txt", leaves_list(linkage(s, "average")) + 1, "%d")
save("usarrests_ward_order_scipy.txt", leaves_list(linkage(s, "ward")) + 1, "%d")
for m in ("centroid", "median"):
    save("usarrests_%s_scipy.txt" % m, linkage(s, m))
for m in ("average", "complete", "ward"):
    z = linkage(s, m)
    save("usarrests_%s_optimal_scipy.txt" % m, leaves_list(optimal_leaf_ordering(z, s)) + 1, "%d")
x = np.loadtxt("mtcars.csv", delimiter=",", skiprows=1, usecols=range(1, 12))
for m in ("chebyshev", "cosine", "correlation", "hamming", "cityblock", "euclidean"):
    save("mtcars_%s_scipy.txt" % m, pdist(x, m))
save("mtcars_minkowski3_scipy.txt", pdist(x, "minkowski", p=3))
b = x != 0
save("mtcars_jaccard_scipy.txt", pdist(b, "jaccard"))
save("mtcars_dice_scipy.txt", pdist(b, "dice"))
PY
