// hclust's label-carrying outputs read back by strict readers: JSON (RFC 8259, valid UTF-8),
// Newick (quoted labels, finite lengths), CSV (RFC 4180) and R as dget parses it (no NUL, no
// raw bidi controls, no \x or octal escape beside \u). The bytes choose labels of any bytes,
// values (1e308 among them) and the method; every output must agree on labels, order and
// heights, or all must refuse the tree with the same one-line message.
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_input_p.h"
#include "tools/hclust_cli.h"
#include "tools/tree_format.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& text = "") {
  std::fprintf(stderr, "fuzz_hclust_outputs: %s\n%s\n", what, text.c_str());
  std::abort();
}

void Require(bool ok, const char* what, const std::string& text = "") {
  if (!ok) Fail(what, text);
}

// Decodes UTF-8 strictly (no overlong form, surrogate or value above U+10FFFF); false if the
// text is not UTF-8. Written apart from the tool's own replacement so that each checks the other.
bool DecodeUtf8(std::string_view s, std::vector<char32_t>* out = nullptr) {
  for (std::size_t i = 0; i < s.size();) {
    const auto u = static_cast<unsigned char>(s[i]);
    const int len = u < 0x80 ? 1 : (u >> 5) == 6 ? 2 : (u >> 4) == 14 ? 3 : (u >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + static_cast<std::size_t>(len) > s.size()) return false;
    char32_t c = len == 1 ? u : u & (0x7F >> len);
    for (int k = 1; k < len; ++k) {
      const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      if ((b & 0xC0) != 0x80) return false;
      c = c << 6 | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    if (out) out->push_back(c);
    i += static_cast<std::size_t>(len);
  }
  return true;
}

void AppendUtf8(std::string& s, char32_t c) {
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | c >> 6);
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | c >> 12);
    s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | c >> 18);
    s += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
}

double StrictNumber(std::string_view s, const char* what) {
  double v = 0;
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  Require(!s.empty() && ec == std::errc() && p == s.data() + s.size() && std::isfinite(v), what,
          std::string(s));
  return v;
}

// A cursor over a document with the helpers every reader needs.
struct Cursor {
  std::string_view s;
  std::size_t i = 0;
  bool At(char c) const { return i < s.size() && s[i] == c; }
  void Expect(std::string_view word, const char* what) {
    Require(s.substr(i, word.size()) == word, what, std::string(s.substr(i, 40)));
    i += word.size();
  }
  char Next(const char* what) {
    Require(i < s.size(), what);
    return s[i++];
  }
};

// ---- JSON ----
struct Json {
  enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
  double number = 0;
  std::string text;
  std::vector<Json> items;
  std::map<std::string, Json> members;
  const Json& operator[](const std::string& key) const {
    const auto it = members.find(key);
    if (it == members.end()) Fail("json: missing member", key);
    return it->second;
  }
};

void SkipJsonBlanks(Cursor& c) {
  while (c.i < c.s.size() &&
         (c.s[c.i] == ' ' || c.s[c.i] == '\n' || c.s[c.i] == '\t' || c.s[c.i] == '\r'))
    ++c.i;
}

unsigned Hex4(Cursor& c) {
  unsigned v = 0;
  for (int k = 0; k < 4; ++k) {
    const char h = c.Next("json: short \\u");
    const int d = h >= '0' && h <= '9'   ? h - '0'
                  : h >= 'a' && h <= 'f' ? h - 'a' + 10
                  : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                         : -1;
    Require(d >= 0, "json: bad hex digit");
    v = v << 4 | static_cast<unsigned>(d);
  }
  return v;
}

std::string JsonString(Cursor& c) {
  c.Expect("\"", "json: string expected");
  std::string out;
  for (;;) {
    const char ch = c.Next("json: string not closed");
    if (ch == '"') return out;
    Require(static_cast<unsigned char>(ch) >= 0x20, "json: raw control character in a string");
    if (ch != '\\') {
      out += ch;
      continue;
    }
    const char e = c.Next("json: escape at the end");
    switch (e) {
      case '"':
      case '\\':
      case '/':
        out += e;
        break;
      case 'b':
        out += '\b';
        break;
      case 'f':
        out += '\f';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'u': {
        char32_t cp = Hex4(c);
        Require(cp < 0xDC00 || cp > 0xDFFF, "json: lone low surrogate");
        if (cp >= 0xD800 && cp <= 0xDBFF) {
          c.Expect("\\u", "json: lone high surrogate");
          const unsigned lo = Hex4(c);
          Require(lo >= 0xDC00 && lo <= 0xDFFF, "json: bad surrogate pair");
          cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
        }
        AppendUtf8(out, cp);
        break;
      }
      default:
        Fail("json: unknown escape");
    }
  }
}

Json JsonValue(Cursor& c, int depth) {
  Require(depth < 64, "json: too deep");
  SkipJsonBlanks(c);
  Json v;
  if (c.At('{') || c.At('[')) {
    const bool object = c.At('{');
    v.kind = object ? Json::kObject : Json::kArray;
    ++c.i;
    SkipJsonBlanks(c);
    if (c.At(object ? '}' : ']')) {
      ++c.i;
      return v;
    }
    for (;;) {
      SkipJsonBlanks(c);
      if (object) {
        std::string key = JsonString(c);
        SkipJsonBlanks(c);
        c.Expect(":", "json: ':' expected");
        Require(v.members.emplace(key, JsonValue(c, depth + 1)).second, "json: duplicate key", key);
      } else {
        v.items.push_back(JsonValue(c, depth + 1));
      }
      SkipJsonBlanks(c);
      const char sep = c.Next("json: not closed");
      if (sep == (object ? '}' : ']')) return v;
      Require(sep == ',', "json: ',' expected");
    }
  }
  if (c.At('"')) {
    v.kind = Json::kString;
    v.text = JsonString(c);
    return v;
  }
  for (const char* word : {"null", "true", "false"})
    if (c.s.substr(c.i, std::string_view(word).size()) == word) {
      c.i += std::string_view(word).size();
      v.kind = word[0] == 'n' ? Json::kNull : Json::kBool;
      return v;
    }
  // -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
  const std::size_t start = c.i;
  auto digits = [&] {
    const std::size_t from = c.i;
    while (c.i < c.s.size() && c.s[c.i] >= '0' && c.s[c.i] <= '9') ++c.i;
    Require(c.i > from, "json: digits expected");
  };
  if (c.At('-')) ++c.i;
  Require(!c.At('0') || c.i + 1 >= c.s.size() || c.s[c.i + 1] < '0' || c.s[c.i + 1] > '9',
          "json: leading zero");
  digits();
  if (c.At('.')) ++c.i, digits();
  if (c.At('e') || c.At('E')) {
    ++c.i;
    if (c.At('+') || c.At('-')) ++c.i;
    digits();
  }
  v.kind = Json::kNumber;
  v.number = StrictNumber(c.s.substr(start, c.i - start), "json: number");
  return v;
}

// ---- R, as far as dget's parser goes for what the writer uses ----
struct RExpr {
  enum Kind { kCall, kNumber, kInteger, kString, kNull } kind = kNull;
  std::string name;  // function of a call, text of a string
  double number = 0;
  std::vector<std::string> names;  // of the arguments ("" when unnamed)
  std::vector<RExpr> args;
};

bool IsBidi(char32_t c) {
  return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

std::string RStringLiteral(Cursor& c) {
  c.Expect("\"", "r: string expected");
  std::string out, raw;  // raw: the characters written as themselves
  for (;;) {
    const char ch = c.Next("r: string not closed");
    if (ch == '"') break;
    Require(ch != 0, "r: nul character not allowed");
    if (ch != '\\') {
      out += ch;
      raw += ch;
      continue;
    }
    // Only the escapes below: R refuses \x or octal escapes beside \u ones.
    const char e = c.Next("r: escape at the end");
    if (e == 'u' || e == 'U') {
      const std::size_t most = e == 'u' ? 4 : 8;
      char32_t cp = 0;
      std::size_t k = 0;
      for (; k < most && c.i < c.s.size() && std::isxdigit(static_cast<unsigned char>(c.s[c.i]));
           ++k)
        cp = cp * 16 + static_cast<char32_t>(std::stoi(std::string(1, c.s[c.i++]), nullptr, 16));
      Require(k > 0, "r: \\u without digits");
      Require(cp != 0, "r: nul character not allowed");
      Require(cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF), "r: invalid \\u value");
      AppendUtf8(out, cp);
      continue;
    }
    static constexpr std::string_view kFrom = "\"'\\nrtabfv`", kTo = "\"'\\\n\r\t\a\b\f\v`";
    const std::size_t k = kFrom.find(e);
    Require(k != std::string_view::npos, "r: escape the writer does not use", std::string(1, e));
    out += kTo[k];
  }
  // R takes bidi controls only as escapes, and reads raw bytes as text of the locale.
  std::vector<char32_t> cps;
  Require(DecodeUtf8(raw, &cps), "r: string is not UTF-8", raw);
  for (const char32_t cp : cps) Require(!IsBidi(cp), "r: bidi formatting not allowed");
  return out;
}

RExpr RValue(Cursor& c, int depth) {
  Require(depth < 16, "r: too deep");
  RExpr v;
  if (c.At('"')) {
    v.kind = RExpr::kString;
    v.name = RStringLiteral(c);
    return v;
  }
  const std::size_t start = c.i;
  while (c.i < c.s.size() &&
         (std::isalnum(static_cast<unsigned char>(c.s[c.i])) || c.s[c.i] == '.' ||
          c.s[c.i] == '_' || c.s[c.i] == '-' || c.s[c.i] == '+'))
    ++c.i;
  const std::string_view word = c.s.substr(start, c.i - start);
  Require(!word.empty(), "r: value expected", std::string(c.s.substr(c.i, 40)));
  if (c.At('(')) {
    v.kind = RExpr::kCall;
    v.name = std::string(word);
    ++c.i;
    if (c.At(')')) {
      ++c.i;
      return v;
    }
    for (;;) {
      while (c.At(' ') || c.At('\n')) ++c.i;
      std::string name;
      const std::size_t at = c.i;
      while (c.i < c.s.size() &&
             (std::isalnum(static_cast<unsigned char>(c.s[c.i])) || c.s[c.i] == '.'))
        ++c.i;
      if (c.s.substr(c.i, 3) == " = ") {
        name = std::string(c.s.substr(at, c.i - at));
        c.i += 3;
      } else {
        c.i = at;
      }
      v.names.push_back(name);
      v.args.push_back(RValue(c, depth + 1));
      const char sep = c.Next("r: call not closed");
      if (sep == ')') return v;
      Require(sep == ',', "r: ',' expected");
    }
  }
  if (word == "NULL") return v;
  if (word.back() == 'L') {
    v.kind = RExpr::kInteger;
    int n = 0;
    const auto [p, ec] = std::from_chars(word.data(), word.data() + word.size() - 1, n);
    Require(ec == std::errc() && p == word.data() + word.size() - 1, "r: bad integer",
            std::string(word));
    v.number = n;
    return v;
  }
  v.kind = RExpr::kNumber;
  v.number = StrictNumber(word, "r: number");
  return v;
}

const RExpr& Arg(const RExpr& call, std::size_t k, const char* name, const char* fn) {
  Require(
      call.kind == RExpr::kCall && call.name == fn && k < call.args.size() && call.names[k] == name,
      "r: unexpected shape", std::string(fn) + " " + name);
  return call.args[k];
}

std::vector<double> RVector(const RExpr& e, RExpr::Kind kind) {
  std::vector<double> out;
  if (e.kind == kind) return {e.number};
  Require(e.kind == RExpr::kCall && e.name == "c", "r: c() expected");
  for (std::size_t k = 0; k < e.args.size(); ++k) {
    Require(e.names[k].empty() && e.args[k].kind == kind, "r: element of the wrong kind");
    out.push_back(e.args[k].number);
  }
  return out;
}

// ---- Newick ----
std::string NewickLabel(Cursor& c) {
  std::string out;
  if (c.At('\'')) {
    ++c.i;
    for (;;) {
      const char ch = c.Next("newick: quote not closed");
      if (ch == '\'') {
        if (!c.At('\'')) return out;
        ++c.i;
      }
      out += ch;
    }
  }
  while (c.i < c.s.size() && std::string_view("(),:;").find(c.s[c.i]) == std::string_view::npos) {
    const auto u = static_cast<unsigned char>(c.s[c.i]);
    Require(u >= 0x20 && u != 0x7F &&
                std::string_view(" []'_\"\t").find(c.s[c.i]) == std::string_view::npos,
            "newick: unquoted label holds a blank, underscore, control or quote",
            std::string(c.s.substr(c.i)));
    out += c.s[c.i++];
  }
  Require(!out.empty(), "newick: empty unquoted label");
  return out;
}

void NewickNode(Cursor& c, std::vector<std::string>& leaves, bool root, int depth) {
  Require(depth < 4096, "newick: too deep");
  if (c.At('(')) {
    ++c.i;
    NewickNode(c, leaves, false, depth + 1);
    c.Expect(",", "newick: ',' expected");
    NewickNode(c, leaves, false, depth + 1);
    c.Expect(")", "newick: ')' expected");
  } else {
    leaves.push_back(NewickLabel(c));
  }
  if (root) return;
  c.Expect(":", "newick: branch length expected");
  const std::size_t start = c.i;
  while (c.i < c.s.size() && std::string_view("(),:;").find(c.s[c.i]) == std::string_view::npos)
    ++c.i;
  StrictNumber(c.s.substr(start, c.i - start), "newick: branch length");
}

// ---- CSV (RFC 4180), one record ----
std::vector<std::string> CsvRecord(Cursor& c) {
  std::vector<std::string> fields;
  for (;;) {
    std::string f;
    if (c.At('"')) {
      ++c.i;
      for (;;) {
        const char ch = c.Next("csv: quote not closed");
        if (ch == '"') {
          if (!c.At('"')) break;
          ++c.i;
        }
        f += ch;
      }
    } else {
      while (c.i < c.s.size() && c.s[c.i] != ',' && c.s[c.i] != '\n') {
        Require(c.s[c.i] != '"' && c.s[c.i] != '\r', "csv: quote or CR in an unquoted field");
        f += c.s[c.i++];
      }
      Require(f.empty() || (f.front() != ' ' && f.back() != ' '), "csv: unquoted edge blank");
    }
    fields.push_back(std::move(f));
    const char sep = c.Next("csv: record not ended");
    if (sep == '\n') return fields;
    Require(sep == ',', "csv: ',' expected");
  }
}

struct Run {
  int status = 0;
  std::string out, err;
};

Run Hclust(const std::vector<std::string>& args, const std::string& input) {
  std::istringstream in(input);
  std::ostringstream out, err;
  Run r;
  r.status = dendrokit::tools::RunHclust(args, in, out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using dendrokit::tools::ValidUtf8;
  dendrokit::fuzz::Input in(data, size);
  const int n = 2 + in.Below(11);
  static constexpr const char* kMethods[] = {"single", "complete", "average", "ward.D2"};
  const char* method = kMethods[in.Below(4)];
  std::string csv;
  std::vector<std::string> expected;
  int invalid = 0;
  for (int i = 0; i < n; ++i) {
    std::string label;
    for (int k = in.Below(10); k > 0; --k) label += static_cast<char>(in.Byte());
    std::string cell;
    for (const char ch : label) cell += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    const int a = in.Byte();
    csv += "\"" + cell + "\"," +
           (a == 0xFF   ? "1e308"
            : a == 0xFE ? "-1e308"
                        : std::to_string(a % 7)) +
           "," + std::to_string(in.Below(5)) + "\n";
    // The reader takes a CR before a line break inside quotes as part of the break.
    std::string read;
    for (std::size_t k = 0; k < label.size(); ++k)
      if (!(label[k] == '\r' && k + 1 < label.size() && label[k + 1] == '\n')) read += label[k];
    expected.push_back(ValidUtf8(read));
    invalid += expected.back() != read;
  }
  const std::vector<std::string> formats = {"table", "json", "r", "newick"};
  std::vector<Run> runs;
  for (const std::string& f : formats)
    runs.push_back(Hclust({"--labels", "1", "--method", method, "--format", f}, csv));
  // JSON, Newick and the drawn order list the leaves as drawn; R's object and --order r
  // carry R's order.
  runs.push_back(Hclust({"--labels", "1", "--method", method, "--order", "drawn"}, csv));
  runs.push_back(Hclust({"--labels", "1", "--method", method, "--order", "r"}, csv));
  for (const Run& r : runs) {
    Require(r.status == runs[0].status && r.err == runs[0].err, "outputs disagree on success",
            r.err);
    if (r.status != 0) {
      Require(r.status == 2 && r.out.empty() &&
                  r.err.find("no tree is written") != std::string::npos && r.err.back() == '\n',
              "a refusal is exit 2 with its reason", r.err);
      continue;
    }
    Require(DecodeUtf8(r.out), "output is not UTF-8", r.out);
    Require(r.out.find('\0') == std::string::npos, "output holds NUL");
  }
  if (runs[0].status != 0) return 0;
  const std::string note = invalid == 0
                               ? ""
                               : "hclust: " + std::to_string(invalid) +
                                     (invalid == 1 ? " label is not UTF-8 text or holds"
                                                   : " labels are not UTF-8 text or hold") +
                                     " NUL; such bytes are written as U+FFFD\n";
  Require(runs[0].err == note, "the UTF-8 note is said once", runs[0].err);

  // The merge table's heights: the reference the others must repeat bit for bit.
  std::vector<double> heights;
  {
    Cursor c{runs[0].out};
    c.Expect("step,node1,node2,node,distance\n", "table: header");
    while (c.i < c.s.size()) {
      const std::vector<std::string> f = CsvRecord(c);
      Require(f.size() == 5, "table: five fields");
      heights.push_back(StrictNumber(f[4], "table: height"));
    }
    Require(heights.size() == static_cast<std::size_t>(n - 1), "table: n - 1 merges");
  }

  std::vector<int> order;
  {
    Cursor c{runs[1].out};
    const Json doc = JsonValue(c, 0);
    SkipJsonBlanks(c);
    Require(c.i == c.s.size(), "json: text after the document");
    Require(doc["objects"].number == n, "json: objects");
    const Json& nodes = doc["nodes"];
    Require(nodes.items.size() == static_cast<std::size_t>(2 * n - 1), "json: 2n - 1 nodes");
    for (int k = 1; k <= 2 * n - 1; ++k) {
      const Json& node = nodes.items[static_cast<std::size_t>(k - 1)];
      Require(node["id"].number == k, "json: ids in order");
      if (k <= n)
        Require(node["label"].text == expected[static_cast<std::size_t>(k - 1)], "json: label",
                node["label"].text);
      else
        Require(node["height"].number == heights[static_cast<std::size_t>(k - n - 1)],
                "json: height");
    }
    for (const Json& id : doc["order"].items) order.push_back(static_cast<int>(id.number));
    Require(order.size() == static_cast<std::size_t>(n), "json: order");
  }

  std::vector<double> rorder;
  {
    Cursor c{runs[5].out};
    Require(CsvRecord(c) == std::vector<std::string>{"position", "object", "label"},
            "r order: header");
    while (c.i < c.s.size()) {
      const std::vector<std::string> f = CsvRecord(c);
      Require(f.size() == 3, "r order: three fields");
      rorder.push_back(StrictNumber(f[1], "r order: object"));
    }
    std::vector<double> sorted = rorder;
    std::sort(sorted.begin(), sorted.end());
    for (int k = 1; k <= n; ++k)
      Require(sorted.size() == static_cast<std::size_t>(n) &&
                  sorted[static_cast<std::size_t>(k - 1)] == k,
              "r order: a permutation of the objects");
  }

  {
    Cursor c{runs[2].out};
    const RExpr e = RValue(c, 0);
    c.Expect("\n", "r: one expression and a newline");
    Require(c.i == c.s.size(), "r: text after the expression");
    Require(e.args.size() == 2 && e.names[1] == "class" && e.args[1].name == "hclust",
            "r: class hclust");
    const RExpr& list = Arg(e, 0, "", "structure");
    Require(RVector(Arg(list, 1, "height", "list"), RExpr::kNumber) == heights, "r: heights");
    Require(RVector(Arg(list, 2, "order", "list"), RExpr::kInteger) == rorder, "r: order");
    const RExpr& labels = Arg(list, 3, "labels", "list");
    std::vector<std::string> got;
    if (labels.kind == RExpr::kString) got.push_back(labels.name);
    for (const RExpr& item : labels.args) got.push_back(item.name);
    Require(got == expected, "r: labels");
  }

  {
    Cursor c{runs[3].out};
    std::vector<std::string> leaves;
    NewickNode(c, leaves, true, 0);
    c.Expect(";\n", "newick: ';' and a newline at the end");
    Require(c.i == c.s.size(), "newick: text after the tree");
    for (std::size_t k = 0; k < leaves.size(); ++k)
      Require(leaves[k] == expected[static_cast<std::size_t>(order[k] - 1)], "newick: leaf label",
              leaves[k]);
    Require(leaves.size() == order.size(), "newick: n leaves");
  }

  {
    Cursor c{runs[4].out};
    Require(CsvRecord(c) == std::vector<std::string>{"position", "object", "label"}, "csv: header");
    for (int k = 1; k <= n; ++k) {
      const std::vector<std::string> f = CsvRecord(c);
      Require(
          f.size() == 3 && f[0] == std::to_string(k) &&
              f[1] == std::to_string(order[static_cast<std::size_t>(k - 1)]) &&
              f[2] ==
                  expected[static_cast<std::size_t>(order[static_cast<std::size_t>(k - 1)] - 1)],
          "csv: row", runs[4].out);
    }
    Require(c.i == c.s.size(), "csv: text after the rows");
  }
  return 0;
}
