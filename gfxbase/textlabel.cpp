#include "gfxbase/textlabel.h"

#include "gfxbase/settings.h"

namespace dendrokit {

TCustomTextLabel::TCustomTextLabel() : font_(std::make_unique<TFont>()) {}

TCustomTextLabel::~TCustomTextLabel() = default;

void TCustomTextLabel::Changed() {
  if (OnChange) OnChange(this);
}

void TCustomTextLabel::SetPosX(double v) {
  posX_ = v;
  Changed();
}

void TCustomTextLabel::SetPosY(double v) {
  posY_ = v;
  Changed();
}

void TCustomTextLabel::SetLayer(int v) {
  if (v < 1 || v > 16) return;
  layer_ = v;
  Changed();
}

void TCustomTextLabel::SetShadowDx(int v) {
  shadowDx_ = v;
  Changed();
}

void TCustomTextLabel::SetShadowDy(int v) {
  shadowDy_ = v;
  Changed();
}

void TCustomTextLabel::SetColorShadow(TColor v) {
  colorShadow_ = v;
  Changed();
}

void TCustomTextLabel::SetAlignment(TAlignment v) {
  if (!IsEnumValue(v)) return;
  alignment_ = v;
  Changed();
}

void TCustomTextLabel::SetVerticalAlignment(TVerticalAlignment v) {
  if (!IsEnumValue(v)) return;
  verticalAlignment_ = v;
  Changed();
}

void TCustomTextLabel::SetAttachToData(TTxtLblAttachMode v) {
  if (!IsEnumValue(v)) return;
  attachToData_ = v;
  Changed();
}

void TCustomTextLabel::SetColorBkg(TColor v) {
  colorBkg_ = v;
  Changed();
}

void TCustomTextLabel::SetColorBorder(TColor v) {
  colorBorder_ = v;
  Changed();
}

void TCustomTextLabel::SetTransparent(bool v) {
  transparent_ = v;
  Changed();
}

void TCustomTextLabel::SetFont(const TFont& v) {
  if (&v != font_.get()) font_->Assign(&v);
  Changed();
}

void TCustomTextLabel::SetCaption(std::string_view v) {
  caption_.assign(v);
  for (char& c : caption_)
    if (static_cast<unsigned char>(c) < 32 && c != '\n') c = ' ';
  Changed();
}

void TCustomTextLabel::SetMode(TTxtLblMode v) {
  if (!IsEnumValue(v)) return;
  mode_ = v;
  Changed();
}

void TCustomTextLabel::SetVisible(bool v) {
  visible_ = v;
  Changed();
}

void TCustomTextLabel::Assign(const TPersistent* source) {
  const auto* src = dynamic_cast<const TCustomTextLabel*>(source);
  if (src == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (src == this) return;
  posX_ = src->posX_;
  posY_ = src->posY_;
  layer_ = src->layer_;
  shadowDx_ = src->shadowDx_;
  shadowDy_ = src->shadowDy_;
  colorShadow_ = src->colorShadow_;
  alignment_ = src->alignment_;
  verticalAlignment_ = src->verticalAlignment_;
  attachToData_ = src->attachToData_;
  colorBkg_ = src->colorBkg_;
  colorBorder_ = src->colorBorder_;
  transparent_ = src->transparent_;
  font_->Assign(src->font_.get());
  caption_ = src->caption_;
  mode_ = src->mode_;
  visible_ = src->visible_;
  OnChange = src->OnChange;
}

}  // namespace dendrokit
