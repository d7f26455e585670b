// Chart settings objects: which layer's range drives another's (TJointLayers) and the
// background picture with its shaded area (TBakGndImg). Both report changes through
// OnChange; Assign copies the settings only and raises nothing.
#pragma once

#include "gfxbase/export.h"

#include <array>
#include <cstdint>
#include <string>

#include "gfxbase/component.h"
#include "gfxbase/enums.h"
#include "gfxbase/types.h"

namespace dendrokit {

class TCustomPlotra;

enum TBGAreaMode : std::uint8_t {
  bamNone, bamLeft, bamRight, bamTop, bamBottom, bamVStripe, bamHStripe, bamRect, bamRectInv,
  bamVStripeInv, bamHStripeInv
};
DENDROKIT_ENUM_NAMES(TBGAreaMode, "bamNone", "bamLeft", "bamRight", "bamTop", "bamBottom",
                     "bamVStripe", "bamHStripe", "bamRect", "bamRectInv", "bamVStripeInv",
                     "bamHStripeInv");

// For each layer 1..16, the layer that controls its x range and the one that controls its
// y range; a layer that controls itself is free. Joins are one level deep: a controlling
// layer is free, and a controlled layer controls nobody.
class DENDROKIT_EXPORT TJointLayers : public TPersistent {
 public:
  static constexpr int kLayers = 16;
  // owner (may be null) gets the controller's range when a layer is joined.
  explicit TJointLayers(TCustomPlotra* owner = nullptr);
  std::string_view ClassName() const override { return "TJointLayers"; }

  TCustomPlotra* Owner() const { return owner_; }
  void SetOwner(TCustomPlotra* owner) { owner_ = owner; }

  // Controller of layer 1..16 (0 for other layers).
  int XControlledBy(int layer) const;
  int YControlledBy(int layer) const;
  // Joins layer to dest (dest == layer frees it). Raises EVELPlotraError when dest is
  // outside 1..16, when dest is itself joined, or when layer controls other layers; the
  // state is then unchanged. A join copies dest's range into layer and raises OnChange.
  // Layers outside 1..16 are ignored.
  void SetXControlledBy(int layer, int dest);
  void SetYControlledBy(int layer, int dest);

  // Copies the 32 controller numbers; raises nothing.
  void Assign(const TPersistent* source) override;

  int L01xControlledBy() const { return XControlledBy(1); }
  void SetL01xControlledBy(int v) { SetXControlledBy(1, v); }
  int L02xControlledBy() const { return XControlledBy(2); }
  void SetL02xControlledBy(int v) { SetXControlledBy(2, v); }
  int L03xControlledBy() const { return XControlledBy(3); }
  void SetL03xControlledBy(int v) { SetXControlledBy(3, v); }
  int L04xControlledBy() const { return XControlledBy(4); }
  void SetL04xControlledBy(int v) { SetXControlledBy(4, v); }
  int L05xControlledBy() const { return XControlledBy(5); }
  void SetL05xControlledBy(int v) { SetXControlledBy(5, v); }
  int L06xControlledBy() const { return XControlledBy(6); }
  void SetL06xControlledBy(int v) { SetXControlledBy(6, v); }
  int L07xControlledBy() const { return XControlledBy(7); }
  void SetL07xControlledBy(int v) { SetXControlledBy(7, v); }
  int L08xControlledBy() const { return XControlledBy(8); }
  void SetL08xControlledBy(int v) { SetXControlledBy(8, v); }
  int L09xControlledBy() const { return XControlledBy(9); }
  void SetL09xControlledBy(int v) { SetXControlledBy(9, v); }
  int L10xControlledBy() const { return XControlledBy(10); }
  void SetL10xControlledBy(int v) { SetXControlledBy(10, v); }
  int L11xControlledBy() const { return XControlledBy(11); }
  void SetL11xControlledBy(int v) { SetXControlledBy(11, v); }
  int L12xControlledBy() const { return XControlledBy(12); }
  void SetL12xControlledBy(int v) { SetXControlledBy(12, v); }
  int L13xControlledBy() const { return XControlledBy(13); }
  void SetL13xControlledBy(int v) { SetXControlledBy(13, v); }
  int L14xControlledBy() const { return XControlledBy(14); }
  void SetL14xControlledBy(int v) { SetXControlledBy(14, v); }
  int L15xControlledBy() const { return XControlledBy(15); }
  void SetL15xControlledBy(int v) { SetXControlledBy(15, v); }
  int L16xControlledBy() const { return XControlledBy(16); }
  void SetL16xControlledBy(int v) { SetXControlledBy(16, v); }
  int L01yControlledBy() const { return YControlledBy(1); }
  void SetL01yControlledBy(int v) { SetYControlledBy(1, v); }
  int L02yControlledBy() const { return YControlledBy(2); }
  void SetL02yControlledBy(int v) { SetYControlledBy(2, v); }
  int L03yControlledBy() const { return YControlledBy(3); }
  void SetL03yControlledBy(int v) { SetYControlledBy(3, v); }
  int L04yControlledBy() const { return YControlledBy(4); }
  void SetL04yControlledBy(int v) { SetYControlledBy(4, v); }
  int L05yControlledBy() const { return YControlledBy(5); }
  void SetL05yControlledBy(int v) { SetYControlledBy(5, v); }
  int L06yControlledBy() const { return YControlledBy(6); }
  void SetL06yControlledBy(int v) { SetYControlledBy(6, v); }
  int L07yControlledBy() const { return YControlledBy(7); }
  void SetL07yControlledBy(int v) { SetYControlledBy(7, v); }
  int L08yControlledBy() const { return YControlledBy(8); }
  void SetL08yControlledBy(int v) { SetYControlledBy(8, v); }
  int L09yControlledBy() const { return YControlledBy(9); }
  void SetL09yControlledBy(int v) { SetYControlledBy(9, v); }
  int L10yControlledBy() const { return YControlledBy(10); }
  void SetL10yControlledBy(int v) { SetYControlledBy(10, v); }
  int L11yControlledBy() const { return YControlledBy(11); }
  void SetL11yControlledBy(int v) { SetYControlledBy(11, v); }
  int L12yControlledBy() const { return YControlledBy(12); }
  void SetL12yControlledBy(int v) { SetYControlledBy(12, v); }
  int L13yControlledBy() const { return YControlledBy(13); }
  void SetL13yControlledBy(int v) { SetYControlledBy(13, v); }
  int L14yControlledBy() const { return YControlledBy(14); }
  void SetL14yControlledBy(int v) { SetYControlledBy(14, v); }
  int L15yControlledBy() const { return YControlledBy(15); }
  void SetL15yControlledBy(int v) { SetYControlledBy(15, v); }
  int L16yControlledBy() const { return YControlledBy(16); }
  void SetL16yControlledBy(int v) { SetYControlledBy(16, v); }

  TNotifyEvent OnChange;

 private:
  void SetControlledBy(bool isX, int layer, int dest);

  TCustomPlotra* owner_;
  std::array<int, kLayers> x_;
  std::array<int, kLayers> y_;
};

// The chart area's background picture and shaded area.
class DENDROKIT_EXPORT TBakGndImg : public TPersistent {
 public:
  std::string_view ClassName() const override { return "TBakGndImg"; }

  // Picture file; empty = none. Without IncludePath only the file-name part is stored.
  const std::string& Name() const { return name_; }
  void SetName(const std::string& v);
  // Setting it to false also strips the directories from the current Name.
  bool IncludePath() const { return includePath_; }
  void SetIncludePath(bool v);
  TBkgFill FillMode() const { return fillMode_; }
  void SetFillMode(TBkgFill v);
  TBGAreaMode AreaMode() const { return areaMode_; }
  void SetAreaMode(TBGAreaMode v);
  TColor AreaColor() const { return areaColor_; }
  void SetAreaColor(TColor v);
  // World limits of the shaded area in the chart's active layer.
  double AreaLeft() const { return areaLeft_; }
  void SetAreaLeft(double v);
  double AreaRight() const { return areaRight_; }
  void SetAreaRight(double v);
  double AreaTop() const { return areaTop_; }
  void SetAreaTop(double v);
  double AreaBottom() const { return areaBottom_; }
  void SetAreaBottom(double v);

  // Clears Name without notification (a picture that failed to load is not retried).
  void ForgetName() { name_.clear(); }

  // Copies the nine settings; raises nothing.
  void Assign(const TPersistent* source) override;

  TNotifyEvent OnChange;

 private:
  void Changed();

  std::string name_;
  bool includePath_ = false;
  TBkgFill fillMode_ = bfStretch;
  TBGAreaMode areaMode_ = bamNone;
  TColor areaColor_ = 14540253;
  double areaLeft_ = -1.0;
  double areaRight_ = 1.0;
  double areaTop_ = 1.0;
  double areaBottom_ = -1.0;
};

// The file-name part of a path (after the last '/' or '\\').
DENDROKIT_EXPORT std::string StripDirectories(const std::string& path);

}  // namespace dendrokit
