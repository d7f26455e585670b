// The settings of a text label placed on a chart. The label owns its font; writing Font
// copies the given font's attributes into that object. Every write raises OnChange except
// an ignored Layer; Assign copies the settings and the handler and raises nothing.
#pragma once

#include "gfxbase/export.h"

#include <memory>
#include <string>
#include <string_view>

#include "gfxbase/canvas.h"
#include "gfxbase/component.h"
#include "gfxbase/enums.h"
#include "gfxbase/graphics_types.h"
#include "gfxbase/types.h"

namespace dendrokit {

class DENDROKIT_EXPORT TCustomTextLabel : public TPersistent {
 public:
  TCustomTextLabel();
  ~TCustomTextLabel() override;
  std::string_view ClassName() const override { return "TCustomTextLabel"; }

  // Anchor position; AttachToData decides how it maps to the chart.
  double PosX() const { return posX_; }
  void SetPosX(double v);
  double PosY() const { return posY_; }
  void SetPosY(double v);
  // 1..16; other values are ignored without a notification.
  int Layer() const { return layer_; }
  void SetLayer(int v);
  // Shadow offset in pixels.
  int ShadowDx() const { return shadowDx_; }
  void SetShadowDx(int v);
  int ShadowDy() const { return shadowDy_; }
  void SetShadowDy(int v);
  TColor ColorShadow() const { return colorShadow_; }
  void SetColorShadow(TColor v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  TVerticalAlignment VerticalAlignment() const { return verticalAlignment_; }
  void SetVerticalAlignment(TVerticalAlignment v);
  TTxtLblAttachMode AttachToData() const { return attachToData_; }
  void SetAttachToData(TTxtLblAttachMode v);
  TColor ColorBkg() const { return colorBkg_; }
  void SetColorBkg(TColor v);
  TColor ColorBorder() const { return colorBorder_; }
  void SetColorBorder(TColor v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  // The label's own font. Changing it through this reference raises no OnChange; SetFont
  // does.
  TFont& Font() { return *font_; }
  const TFont& Font() const { return *font_; }
  void SetFont(const TFont& v);
  // Characters below 32 other than line feed become blanks, so a caption can hold several
  // lines but no tabs or carriage returns.
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view v);
  TTxtLblMode Mode() const { return mode_; }
  void SetMode(TTxtLblMode v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);

  // Copies every setting, the font's attributes and the OnChange handler from another
  // TCustomTextLabel (or descendant); raises nothing.
  void Assign(const TPersistent* source) override;

  TNotifyEvent OnChange;

 protected:
  void Changed();

 private:
  double posX_ = 100.0;
  double posY_ = 10.0;
  int layer_ = 1;
  int shadowDx_ = 0;
  int shadowDy_ = 0;
  TColor colorShadow_ = 0x808080;
  TAlignment alignment_ = taCenter;
  TVerticalAlignment verticalAlignment_ = vaBottom;
  TTxtLblAttachMode attachToData_ = tlamNone;
  TColor colorBkg_ = 0xC0C0C0;
  TColor colorBorder_ = 0x000000;
  bool transparent_ = false;
  std::unique_ptr<TFont> font_;
  std::string caption_;
  TTxtLblMode mode_ = tlsimple;
  bool visible_ = true;
};

// The chart's text label; same settings, under its own class name.
class DENDROKIT_EXPORT TTextLabel : public TCustomTextLabel {
 public:
  std::string_view ClassName() const override { return "TTextLabel"; }
};

}  // namespace dendrokit
