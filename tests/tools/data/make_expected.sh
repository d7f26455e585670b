#!/usr/bin/env bash
# Writes the data files and the expected outputs of tests/tools/test_hclust_expected.cpp with
# R and SciPy, independently of dendrokit. Run once by hand (Debian: r-base-core,
# python3-scipy); the outputs are committed. Made with R 4.2.2 and SciPy 1.10.1 / NumPy 1.24.2.
set -euo pipefail
cd "$(dirname "$0")"

Rscript --vanilla - <<'R'
write.csv(iris[, 1:4], "iris_writecsv.csv")
write.csv2(USArrests, "usarrests_csv2.csv")
write.table(data.frame(a = c(1, 1, 0), b = c(1, 1, 0), c = c(0, 0, 1)), "jaccard.csv",
            sep = ",", row.names = FALSE, col.names = FALSE)
x <- iris[, 1:4]
d <- dist(x)
cut <- function(h, k, labels, file)
  write.csv(data.frame(label = labels, cluster = cutree(h, k)), file, row.names = FALSE,
            quote = FALSE)
cut(hclust(d, "ward.D2"), 3, rownames(x), "iris_ward.D2_cut3.csv")
writeLines(sprintf("%.17g", hclust(d, "ward.D")$height), "iris_ward.D_heights.txt")
writeLines(sprintf("%.17g", cor(cophenetic(hclust(d, "average")), d)), "iris_average_cophenetic.txt")
s <- scale(USArrests)
ds <- dist(s)
ha <- hclust(ds, "average")
cut(ha, 4, rownames(s), "usarrests_scaled_average_cut4.csv")
write.csv(data.frame(label = rownames(s), cluster = cutree(ha, h = 2)),
          "usarrests_scaled_average_cut_h2.csv", row.names = FALSE, quote = FALSE)
writeLines(sprintf("%.17g", cor(cophenetic(ha), ds)), "usarrests_scaled_average_cophenetic.txt")
# Newick of R's tree with R's own child order (the test compares them child order aside).
hc <- hclust(ds, "complete")
newick <- function(h) {
  node <- function(i, parent) {
    if (i < 0) return(sprintf("'%s':%.17g", h$labels[-i], parent))
    sub <- paste(node(h$merge[i, 1], h$height[i]), node(h$merge[i, 2], h$height[i]), sep = ",")
    sprintf("(%s):%.17g", sub, parent - h$height[i])
  }
  root <- nrow(h$merge)
  sprintf("(%s,%s);", node(h$merge[root, 1], h$height[root]), node(h$merge[root, 2], h$height[root]))
}
writeLines(newick(hc), "usarrests_scaled_complete.nwk")
jac <- as.matrix(read.csv("jaccard.csv", header = FALSE))
writeLines(sprintf("%.17g", hclust(dist(jac, "binary"), "single")$height), "jaccard_single_heights_r.txt")
R

/usr/bin/python3 - <<'PY'
import numpy as np
from scipy.cluster.hierarchy import linkage, is_valid_linkage
from scipy.spatial.distance import pdist
x = np.loadtxt("iris_writecsv.csv", delimiter=",", skiprows=1, usecols=(1, 2, 3, 4))
for method in ("single", "complete", "average", "weighted", "ward"):
    z = linkage(x, method)
    assert is_valid_linkage(z)
    np.savetxt("iris_scipy_%s.txt" % method, z, fmt="%.17g")
j = np.loadtxt("jaccard.csv", delimiter=",").astype(bool)
np.savetxt("jaccard_single_scipy.txt", linkage(pdist(j, "jaccard"), "single"), fmt="%.17g")
PY
