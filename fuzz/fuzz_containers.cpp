// Random sequences of vector and data-table operations against a plain model of sizes,
// contents and notifications, including handlers that resize the container they are told
// about (the table must queue such a change after the running one; the vector nests it).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_input_p.h"
#include "numeric/datatable.h"
#include "numeric/vector.h"

namespace {

using namespace dendrokit;

[[noreturn]] void Fail(const char* what, int op) {
  std::fprintf(stderr, "fuzz_containers: %s (operation %d)\n", what, op);
  std::abort();
}

// Cells column by column, as the containers keep them.
struct Shape {
  int columns = 1, rows = 1;
  std::vector<double> cells = {0.0};
  void Resize(int c, int r) {
    std::vector<double> next(static_cast<std::size_t>(c * r), 0.0);
    for (int j = 0; j < std::min(c, columns); ++j)
      for (int i = 0; i < std::min(r, rows); ++i)
        next[static_cast<std::size_t>(j * r + i)] = cells[static_cast<std::size_t>(j * rows + i)];
    columns = c;
    rows = r;
    cells = std::move(next);
  }
  double& At(int c, int r) { return cells[static_cast<std::size_t>((c - 1) * rows + r - 1)]; }
};

struct TableModel {
  Shape shape;
  int resizes = 0;  // OnResize notifications expected so far
  int changes = 0;  // OnChange notifications expected so far
  // A change a handler asks for during the next effective resize, and whether it goes
  // through the matrix itself.
  bool armed = false;
  int nextColumns = 1, nextRows = 1;

  void Resize(int c, int r) {
    if (c < 1 || r < 1 || (c == shape.columns && r == shape.rows)) return;
    shape.Resize(c, r);
    ++resizes;
    if (armed) {
      armed = false;
      Resize(nextColumns, nextRows);
    }
  }
};

void Check(TDataTable& t, const TableModel& m, int seenResizes, int seenChanges, int op) {
  const TMatrix& x = t.DataMatrix();
  if (t.NrOfColumns() != m.shape.columns || t.NrOfRows() != m.shape.rows)
    Fail("table shape differs from the model", op);
  if (x.NrOfColumns() != t.NrOfColumns() || x.NrOfRows() != t.NrOfRows())
    Fail("matrix shape differs from the table", op);
  for (int c = 1; c <= m.shape.columns; ++c) {
    if (t.ColName(c).empty()) Fail("column without a name", op);
    for (int r = 1; r <= m.shape.rows; ++r)
      if (t.Elem(c, r) != const_cast<Shape&>(m.shape).At(c, r)) Fail("cell differs", op);
  }
  for (int r = 1; r <= m.shape.rows; ++r)
    if (t.RowName(r).empty()) Fail("row without a name", op);
  if (seenResizes != m.resizes) Fail("OnResize count differs", op);
  if (seenChanges != m.changes) Fail("OnChange count differs", op);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  TDataTable table, other;
  TableModel model;
  int seenResizes = 0, seenChanges = 0;
  bool handlerArmed = false, throughMatrix = false;
  int handlerColumns = 1, handlerRows = 1;
  const auto installHandlers = [&](TDataTable& t) {
    // Assign copies these to the table, so they count only the table's notifications.
    t.OnResize = [&](TObject* s, int, int, int, int) { seenResizes += s == &table; };
    t.OnChange = [&](TObject* s) { seenChanges += s == &table; };
  };
  installHandlers(table);
  installHandlers(other);
  table.DataMatrix().OnResize = [&](TObject*) {
    if (!handlerArmed) return;
    handlerArmed = false;
    if (throughMatrix)
      table.DataMatrix().Resize(handlerColumns, handlerRows);
    else
      table.Resize(handlerColumns, handlerRows);
  };

  TVector vec;
  std::vector<double> vmodel{0.0};
  int vResizes = 0, vSeenResizes = 0;
  bool vArmed = false, vModelArmed = false;
  int vNext = 1;
  vec.OnResize = [&](TObject*) {
    ++vSeenResizes;
    if (!vArmed) return;
    vArmed = false;
    vec.Resize(vNext);
  };

  for (int op = 0; !in.Empty() && op < 200; ++op) {
    const int c = in.Below(8) - 1, r = in.Below(8) - 1;
    const double v = in.Below(7) - 3;
    switch (in.Below(12)) {
      case 0:
        table.Resize(c, r);
        model.Resize(c, r);
        break;
      case 1:
        table.SetNrOfColumns(c);
        if (c >= 1) model.Resize(c, model.shape.rows);
        break;
      case 2:
        table.SetNrOfRows(r);
        if (r >= 1) model.Resize(model.shape.columns, r);
        break;
      case 3:
        table.SetElem(c, r, v);
        if (c >= 1 && c <= model.shape.columns && r >= 1 && r <= model.shape.rows) {
          model.shape.At(c, r) = v;
          model.changes += 2;
        }
        break;
      case 4:
        table.DataMatrix().SetElem(c, r, v);
        if (c >= 1 && c <= model.shape.columns && r >= 1 && r <= model.shape.rows) {
          model.shape.At(c, r) = v;
          model.changes += 1;
        }
        break;
      case 5:
        table.SetRowName(r, std::string(static_cast<std::size_t>(1 + in.Below(3)), 'x'));
        break;
      case 6:
      case 7:
        handlerArmed = model.armed = true;
        throughMatrix = in.Below(2) == 1;
        handlerColumns = model.nextColumns = 1 + in.Below(6);
        handlerRows = model.nextRows = 1 + in.Below(6);
        break;
      case 8: {
        other.Resize(1 + in.Below(5), 1 + in.Below(5));
        other.DataMatrix().Fill(v);
        table.Assign(&other);
        model.shape.Resize(other.NrOfColumns(), other.NrOfRows());
        for (double& cell : model.shape.cells) cell = v;
        break;
      }
      case 9: {
        const int n = in.Below(7) - 1;
        const bool changes = n >= 1 && n != static_cast<int>(vmodel.size());
        if (vec.Resize(n) != (n >= 1)) Fail("vector Resize result", op);
        if (changes) {
          vmodel.resize(static_cast<std::size_t>(n), 0.0);
          ++vResizes;
          if (vModelArmed && vNext != n) {
            vmodel.resize(static_cast<std::size_t>(vNext), 0.0);
            ++vResizes;
          }
          vModelArmed = false;
        }
        break;
      }
      case 10:
        vec.SetElem(c, v);
        if (c >= 1 && c <= static_cast<int>(vmodel.size())) vmodel[static_cast<std::size_t>(c - 1)] = v;
        break;
      case 11:
        vArmed = vModelArmed = true;
        vNext = 1 + in.Below(6);
        break;
    }
    Check(table, model, seenResizes, seenChanges, op);
    if (vec.NrOfElem() != static_cast<int>(vmodel.size())) Fail("vector size differs", op);
    for (int i = 1; i <= vec.NrOfElem(); ++i)
      if (vec.Elem(i) != vmodel[static_cast<std::size_t>(i - 1)]) Fail("vector element differs", op);
    if (vSeenResizes != vResizes) Fail("vector OnResize count differs", op);
  }
  return 0;
}
