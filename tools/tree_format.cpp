#include "tools/tree_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace dendrokit::tools {

namespace {

std::size_t Ix(int i) { return static_cast<std::size_t>(i); }

// Objects in every node's subtree (1-based ids).
std::vector<int> Sizes(const Tree& t) {
  std::vector<int> size(Ix(2 * t.n), 1);
  for (int s = 1; s < t.n; ++s)
    size[Ix(t.n + s)] = size[Ix(t.first[Ix(s - 1)])] + size[Ix(t.second[Ix(s - 1)])];
  return size;
}

double Height(const Tree& t, int node) { return node <= t.n ? 0.0 : t.height[Ix(node - t.n - 1)]; }

// The children of cluster `node` in drawing order.
std::pair<int, int> DrawnChildren(const Tree& t, int node) {
  const int a = t.first[Ix(node - t.n - 1)], b = t.second[Ix(node - t.n - 1)];
  return t.position[Ix(b - 1)] < t.position[Ix(a - 1)] ? std::pair{b, a} : std::pair{a, b};
}

// A label as one CSV cell: quoted when it holds a delimiter, a quote or edge blanks.
std::string CsvCell(const std::string& label) {
  const std::string s = ValidUtf8(label);
  const bool plain = s.find_first_of(",;\"\t\r\n") == std::string::npos && !s.empty() &&
                     s.front() != ' ' && s.back() != ' ';
  if (plain) return s;
  std::string q = "\"";
  for (char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

// A JSON string (also the original R string syntax for plain ASCII names).
std::string EscapedString(const std::string& text) {
  const std::string s = ValidUtf8(text);
  std::string q = "\"";
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      q += '\\';
      q += c;
    } else if (u < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", u);
      q += buf;
    } else {
      q += c;
    }
  }
  return q + "\"";
}

// The code points of valid UTF-8 text.
std::vector<char32_t> CodePoints(std::string_view s) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < s.size();) {
    const auto u = static_cast<unsigned char>(s[i]);
    const int len = u < 0x80 ? 1 : u < 0xE0 ? 2 : u < 0xF0 ? 3 : 4;
    char32_t c = len == 1 ? u : len == 2 ? u & 0x1F : len == 3 ? u & 0x0F : u & 0x07;
    for (int k = 1; k < len && i + Ix(k) < s.size(); ++k)
      c = c << 6 | (static_cast<unsigned char>(s[i + Ix(k)]) & 0x3F);
    out.push_back(c);
    i += Ix(len);
  }
  return out;
}

// An R string that every locale's parser reads back: printable ASCII as is, the rest as \u or
// \U escapes (R takes no octal or hex escape in a string with \u escapes).
std::string RString(const std::string& text) {
  std::string q = "\"";
  for (const char32_t c : CodePoints(ValidUtf8(text))) {
    if (c == '"' || c == '\\') {
      q += '\\';
      q += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      q += static_cast<char>(c);
    } else {
      char buf[16];
      if (c <= 0xFFFF)
        std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
      else
        std::snprintf(buf, sizeof buf, "\\U%08x", static_cast<unsigned>(c));
      q += buf;
    }
  }
  return q + "\"";
}

std::string NewickLabel(const std::string& label) {
  const std::string s = ValidUtf8(label);
  const bool plain = !s.empty() && std::none_of(s.begin(), s.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F ||
           std::string_view(" ()[]':;,_\"").find(c) != std::string_view::npos;
  });
  if (plain) return s;
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("''") : std::string(1, c);
  return q + "'";
}

std::string RNumber(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "Inf" : "-Inf";
  return ShortNumber(v);
}

std::string JsonNumber(double v) { return std::isfinite(v) ? ShortNumber(v) : "null"; }

}  // namespace

std::string ValidUtf8(std::string_view s) {
  constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
  std::string out;
  out.reserve(s.size());
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char u = at(i);
    if (u >= 0x01 && u < 0x80) {
      out += static_cast<char>(u);
      ++i;
      continue;
    }
    // The length a lead byte announces and the range its second byte must fall in (which
    // rules out overlong forms, surrogates and code points above U+10FFFF).
    int len = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (u >= 0xC2 && u <= 0xDF) {
      len = 2;
    } else if (u >= 0xE0 && u <= 0xEF) {
      len = 3;
      if (u == 0xE0) lo = 0xA0;
      if (u == 0xED) hi = 0x9F;
    } else if (u >= 0xF0 && u <= 0xF4) {
      len = 4;
      if (u == 0xF0) lo = 0x90;
      if (u == 0xF4) hi = 0x8F;
    }
    std::size_t k = 1;
    while (len > 0 && k < Ix(len) && i + k < s.size() && at(i + k) >= (k == 1 ? lo : 0x80) &&
           at(i + k) <= (k == 1 ? hi : 0xBF))
      ++k;
    if (len > 0 && k == Ix(len))
      out.append(s.substr(i, k));
    else
      out += kReplacement;
    i += k;
  }
  return out;
}

int MakeLabelsValidUtf8(Tree& t) {
  int changed = 0;
  for (std::string& label : t.labels) {
    std::string valid = ValidUtf8(label);
    if (valid != label) {
      label = std::move(valid);
      ++changed;
    }
  }
  return changed;
}

std::string HeightProblem(const Tree& t) {
  for (int s = 1; s < t.n; ++s) {
    const double h = t.height[Ix(s - 1)];
    if (!std::isfinite(h))
      return "merge " + std::to_string(s) + " of " + std::to_string(t.n - 1) + " has height " +
             ShortNumber(h) +
             ": the distances are not finite (values near the largest double, or a "
             "coefficient of two rows of zeros); no tree is written";
    for (const int child : {t.first[Ix(s - 1)], t.second[Ix(s - 1)]})
      if (!std::isfinite(h - Height(t, child)))
        return "merge " + std::to_string(s) + " of " + std::to_string(t.n - 1) +
               " is farther above its child than a double can hold; no tree is written";
  }
  return "";
}

std::string ShortNumber(double v) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, end);
}

void PlaceNodes(Tree& t) {
  const std::vector<int> size = Sizes(t);
  std::vector<int> start(Ix(2 * t.n), 0);
  for (int s = t.n - 1; s >= 1; --s) {
    const int a = t.first[Ix(s - 1)], b = t.second[Ix(s - 1)];
    const int lead = s == t.n - 1 ? a : b, follow = s == t.n - 1 ? b : a;
    start[Ix(lead)] = start[Ix(t.n + s)];
    start[Ix(follow)] = start[Ix(t.n + s)] + size[Ix(lead)];
  }
  t.position.assign(Ix(2 * t.n - 1), 0.0);
  for (int k = 1; k <= t.n; ++k) t.position[Ix(k - 1)] = start[Ix(k)] + 1;
  for (int s = 1; s < t.n; ++s)
    t.position[Ix(t.n + s - 1)] =
        (t.position[Ix(t.first[Ix(s - 1)] - 1)] + t.position[Ix(t.second[Ix(s - 1)] - 1)]) / 2;
}

std::vector<int> LeafOrder(const Tree& t) {
  std::vector<int> order(Ix(t.n));
  std::iota(order.begin(), order.end(), 1);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return t.position[Ix(a - 1)] < t.position[Ix(b - 1)];
  });
  return order;
}

std::vector<int> PeerOrder(const Tree& t) {
  std::vector<int> order;
  order.reserve(Ix(t.n));
  if (t.n == 1) return {1};
  std::vector<int> stack{2 * t.n - 1};
  while (!stack.empty()) {
    const int node = stack.back();
    stack.pop_back();
    if (node <= t.n) {
      order.push_back(node);
      continue;
    }
    const int a = t.first[Ix(node - t.n - 1)], b = t.second[Ix(node - t.n - 1)];
    stack.push_back(std::max(a, b));
    stack.push_back(std::min(a, b));
  }
  return order;
}

std::string FormatTable(const Tree& t) {
  std::string text = "step,node1,node2,node,distance\n";
  char buf[128];
  for (int s = 1; s < t.n; ++s) {
    const int len = std::snprintf(buf, sizeof buf, "%d,%d,%d,%d,%.17g\n", s, t.first[Ix(s - 1)],
                                  t.second[Ix(s - 1)], t.n + s, t.height[Ix(s - 1)]);
    text.append(buf, Ix(len));
  }
  return text;
}

std::string FormatScipy(const Tree& t) {
  const std::vector<int> size = Sizes(t);
  std::string text;
  for (int s = 1; s < t.n; ++s) {
    const int a = t.first[Ix(s - 1)], b = t.second[Ix(s - 1)];
    text += std::to_string(std::min(a, b) - 1) + ' ' + std::to_string(std::max(a, b) - 1) + ' ' +
            ShortNumber(t.height[Ix(s - 1)]) + ' ' + std::to_string(size[Ix(t.n + s)]) + '\n';
  }
  return text;
}

std::string FormatR(const Tree& t) {
  std::vector<int> left, right;
  for (int s = 1; s < t.n; ++s) {
    auto r = [&](int node) { return node <= t.n ? -node : node - t.n; };
    int a = r(t.first[Ix(s - 1)]), b = r(t.second[Ix(s - 1)]);
    // R's order within a row: objects before clusters, each kind ascending.
    const bool swap = (a > 0 && b < 0) || (a < 0 && b < 0 && a < b) || (a > 0 && b > 0 && a > b);
    if (swap) std::swap(a, b);
    left.push_back(a);
    right.push_back(b);
  }
  std::string text = "structure(list(merge = structure(c(";
  const auto ints = [](const std::vector<int>& v) {
    std::string s;
    for (std::size_t i = 0; i < v.size(); ++i) s += (i ? ", " : "") + std::to_string(v[i]) + "L";
    return s;
  };
  text += ints(left) + (left.empty() ? "" : ", ") + ints(right) + "), dim = c(" +
          std::to_string(t.n - 1) + "L, 2L)),\n  height = c(";
  for (int s = 1; s < t.n; ++s) text += (s > 1 ? ", " : "") + RNumber(t.height[Ix(s - 1)]);
  text += "),\n  order = c(" + ints(PeerOrder(t)) + "),\n  labels = c(";
  for (int k = 1; k <= t.n; ++k) text += (k > 1 ? ", " : "") + RString(t.labels[Ix(k - 1)]);
  text += "),\n  method = " + RString(t.method) + ", call = NULL, dist.method = " +
          RString(t.distance) + "), class = \"hclust\")\n";
  return text;
}

std::string FormatNewick(const Tree& t) {
  const int root = 2 * t.n - 1;
  std::string text;
  // Depth-first without recursion: a frame is (node, children written so far).
  std::vector<std::pair<int, int>> stack{{root, 0}};
  while (!stack.empty()) {
    auto& [node, done] = stack.back();
    if (node <= t.n || done == 2) {
      if (node <= t.n) text += NewickLabel(t.labels[Ix(node - 1)]);
      else text += ')';
      const int child = node;
      stack.pop_back();
      if (!stack.empty())
        text += ':' + ShortNumber(Height(t, stack.back().first) - Height(t, child));
      continue;
    }
    const auto [a, b] = DrawnChildren(t, node);
    text += done == 0 ? '(' : ',';
    const int next = done == 0 ? a : b;
    ++done;
    stack.push_back({next, 0});
  }
  return text + ";\n";
}

std::string FormatJson(const Tree& t) {
  const std::vector<int> size = Sizes(t);
  std::string text = "{\"objects\": " + std::to_string(t.n) + ", \"method\": " +
                     EscapedString(t.method) + ", \"distance\": " + EscapedString(t.distance) +
                     ", \"root\": " + std::to_string(2 * t.n - 1) + ",\n \"order\": [";
  const std::vector<int> order = LeafOrder(t);
  for (std::size_t i = 0; i < order.size(); ++i)
    text += (i ? ", " : "") + std::to_string(order[i]);
  text += "],\n \"nodes\": [\n";
  for (int k = 1; k <= 2 * t.n - 1; ++k) {
    text += "  {\"id\": " + std::to_string(k);
    if (k <= t.n) {
      text += ", \"label\": " + EscapedString(t.labels[Ix(k - 1)]);
    } else {
      const auto [a, b] = DrawnChildren(t, k);
      text += ", \"children\": [" + std::to_string(a) + ", " + std::to_string(b) + "]";
    }
    text += ", \"height\": " + JsonNumber(Height(t, k)) + ", \"size\": " +
            std::to_string(size[Ix(k)]) + "}" + (k < 2 * t.n - 1 ? ",\n" : "\n");
  }
  return text + " ]}\n";
}

std::string FormatOrder(const Tree& t) {
  std::string text = "position,object,label\n";
  const std::vector<int> order = LeafOrder(t);
  for (std::size_t i = 0; i < order.size(); ++i)
    text += std::to_string(i + 1) + ',' + std::to_string(order[i]) + ',' +
            CsvCell(t.labels[Ix(order[i] - 1)]) + '\n';
  return text;
}

std::vector<int> CutTree(const Tree& t, int k) {
  std::vector<int> parent(Ix(2 * t.n));
  std::iota(parent.begin(), parent.end(), 0);
  const auto find = [&](int x) {
    while (parent[Ix(x)] != x) x = parent[Ix(x)] = parent[Ix(parent[Ix(x)])];
    return x;
  };
  for (int s = 1; s <= t.n - k; ++s) {
    parent[Ix(find(t.first[Ix(s - 1)]))] = t.n + s;
    parent[Ix(find(t.second[Ix(s - 1)]))] = t.n + s;
  }
  std::vector<int> number(Ix(2 * t.n), 0), cluster(Ix(t.n));
  int next = 0;
  for (int i = 1; i <= t.n; ++i) {
    int& id = number[Ix(find(i))];
    if (id == 0) id = ++next;
    cluster[Ix(i - 1)] = id;
  }
  return cluster;
}

std::optional<int> ClustersAtHeight(const Tree& t, double h) {
  for (std::size_t s = 1; s < t.height.size(); ++s)
    if (!(t.height[s - 1] <= t.height[s])) return std::nullopt;
  if (!t.height.empty() && std::isnan(t.height[0])) return std::nullopt;
  const auto joined = std::count_if(t.height.begin(), t.height.end(), [&](double x) { return x <= h; });
  return t.n - static_cast<int>(joined);
}

std::string FormatClusters(const Tree& t, const std::vector<int>& cluster) {
  std::string text = "label,cluster\n";
  for (int i = 1; i <= t.n; ++i)
    text += CsvCell(t.labels[Ix(i - 1)]) + ',' + std::to_string(cluster[Ix(i - 1)]) + '\n';
  return text;
}

std::string FormatClusterTable(const Tree& t, const std::vector<std::string>& heads,
                               const std::vector<std::vector<int>>& clusters) {
  if (clusters.size() == 1) return FormatClusters(t, clusters[0]);
  std::string text = "label";
  for (const std::string& h : heads) text += ',' + CsvCell(h);
  text += '\n';
  for (int i = 1; i <= t.n; ++i) {
    text += CsvCell(t.labels[Ix(i - 1)]);
    for (const std::vector<int>& c : clusters) text += ',' + std::to_string(c[Ix(i - 1)]);
    text += '\n';
  }
  return text;
}

// One pass over the pairs with running means and co-moments (Welford), so that no array of
// n(n-1)/2 values is needed and large values do not cancel.
double CopheneticCorrelation(const Tree& t, const std::function<double(int, int)>& dist) {
  // Members of each live cluster as linked lists: head and tail per node, next per object.
  std::vector<int> head(Ix(2 * t.n)), tail(Ix(2 * t.n)), next(Ix(t.n + 1), 0);
  for (int i = 1; i <= t.n; ++i) head[Ix(i)] = tail[Ix(i)] = i;
  double count = 0, meanX = 0, meanY = 0, cxy = 0, cxx = 0, cyy = 0;
  for (int s = 1; s < t.n; ++s) {
    const int a = t.first[Ix(s - 1)], b = t.second[Ix(s - 1)];
    const double x = t.height[Ix(s - 1)];
    for (int i = head[Ix(a)]; i != 0; i = next[Ix(i)])
      for (int j = head[Ix(b)]; j != 0; j = next[Ix(j)]) {
        const double y = dist(std::min(i, j), std::max(i, j));
        count += 1;
        const double dx = x - meanX;
        const double dy = y - meanY;
        meanX += dx / count;
        meanY += dy / count;
        cxx += dx * (x - meanX);
        cyy += dy * (y - meanY);
        cxy += dx * (y - meanY);
      }
    const int node = t.n + s;
    next[Ix(tail[Ix(a)])] = head[Ix(b)];
    head[Ix(node)] = head[Ix(a)];
    tail[Ix(node)] = tail[Ix(b)];
  }
  return cxy / std::sqrt(cxx * cyy);
}

}  // namespace dendrokit::tools
