#include <gtest/gtest.h>

#include "gfxbase/component.h"
#include "gfxbase/enums.h"
#include "gfxbase/errors.h"

namespace dendrokit {
namespace {

TEST(Enumerations, OrdinalsAndStoredNames) {
  EXPECT_EQ(dmEuclid, 2);
  EXPECT_EQ(dirLeftward, 2);
  EXPECT_EQ(fsLowered, 2);
  EXPECT_EQ(maZoomDrag, 9);
  EXPECT_EQ(maDragCrossH, 10);
  EXPECT_EQ(EnumCount<TMouseActMode>(), 21u);  // 19 specified, then maDragCut, maSelectSubtree
  EXPECT_EQ(maZoomPanColors, 18);
  EXPECT_EQ(maSelectSubtree, 20);
  EXPECT_EQ(sizeof(TMouseActMode), 1u);
  EXPECT_EQ(EnumToName(tlsimple), "tlsimple");
  EXPECT_EQ(EnumToName(maZoomPanColors), "maZoomPanColors");
  EXPECT_EQ(EnumFromName<TTxtLblMode>("tlsimple"), tlsimple);
  EXPECT_EQ(EnumFromName<TTxtLblMode>("tlSimple"), std::nullopt);
  EXPECT_EQ(EnumToName(static_cast<TDistMode>(42)), "");
}

TEST(Enumerations, EveryNameRoundTrips) {
  for (std::size_t i = 0; i < EnumCount<TMouseActMode>(); ++i) {
    const auto v = static_cast<TMouseActMode>(i);
    EXPECT_EQ(EnumFromName<TMouseActMode>(EnumToName(v)), v);
  }
}

class Probe : public TComponent {
 public:
  explicit Probe(TComponent* owner, int* destroyed) : TComponent(owner), destroyed_(destroyed) {}
  ~Probe() override { ++*destroyed_; }
  std::string_view ClassName() const override { return "TProbe"; }

 private:
  int* destroyed_;
};

TEST(ComponentModel, OwnerDestroysOwnedAndEarlyDeathLeavesList) {
  int destroyed = 0;
  auto* owner = new TComponent(nullptr);
  auto* a = new Probe(owner, &destroyed);
  new Probe(owner, &destroyed);
  delete a;
  EXPECT_EQ(owner->Components().size(), 1u);
  delete owner;
  EXPECT_EQ(destroyed, 2);
}

TEST(ComponentModel, StandardAssignFallbackMessage) {
  int destroyed = 0;
  Probe a(nullptr, &destroyed), b(nullptr, &destroyed);
  TComponent c;
  try {
    c.Assign(&a);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TProbe to a TComponent");
  }
  EXPECT_THROW(b.Assign(nullptr), EConvertError);
}

}  // namespace
}  // namespace dendrokit
