# Writes tree_fixtures.txt: hclust trees of small integer data sets (ties everywhere) with
# their merge, height, order and cutree() results for every k and for a set of heights.
# Run once from this folder: Rscript make_tree_fixtures.R
set.seed(19)
out <- file("tree_fixtures.txt", "w")
num <- function(v) paste(sprintf("%.17g", v), collapse = " ")
write_tree <- function(name, hc, sorted) {
  n <- length(hc$order)
  cat("tree", name, n, "\n", file = out)
  cat("merge", as.vector(hc$merge), "\n", file = out)
  cat("height", num(hc$height), "\n", file = out)
  cat("order", hc$order, "\n", file = out)
  for (k in 1:n) cat("k", k, cutree(hc, k = k), "\n", file = out)
  if (sorted) {
    hs <- sort(unique(c(0, hc$height, (head(hc$height, -1) + tail(hc$height, -1)) / 2)))
    for (h in hs) cat("h", sprintf("%.17g", h), cutree(hc, h = h), "\n", file = out)
  }
  cat("end\n", file = out)
}
for (n in c(2, 3, 7, 12, 25)) {
  x <- matrix(sample(0:4, 2 * n, replace = TRUE), ncol = 2)
  d <- dist(x, method = "manhattan")
  for (m in c("single", "complete", "average", "ward.D"))
    write_tree(paste0(m, n), hclust(d, method = m), TRUE)
  # Centroid linkage on squared distances: heights can decrease.
  write_tree(paste0("centroid", n), hclust(dist(x)^2, method = "centroid"), FALSE)
}
close(out)
