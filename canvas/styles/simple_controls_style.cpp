// The drawing of the simple controls: static text and the text field, group
// boxes, check boxes, choice lists, progress bars and sliders. Every colour,
// font and size comes from the style's values; the geometry here is only
// proportions of them.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "canvas/controls/button.h"
#include "canvas/controls/check_box.h"
#include "canvas/controls/edit.h"
#include "canvas/controls/group_box.h"
#include "canvas/controls/multi_choices.h"
#include "canvas/controls/progress_bar.h"
#include "canvas/controls/slider.h"
#include "canvas/controls/static.h"
#include "canvas/styles.h"
#include "canvas/styles/simple_parts.h"
#include "platform/brush.h"

using namespace simple_parts;

namespace {

// Inner padding of text fields and bars, from the left edge to the text.
constexpr float kFieldPadding = 6.0f;
constexpr float kCaretWidth = 2.0f;
// The focus ring is drawn this much wider than a plain border.
constexpr float kFocusBorderWidth = 2.0f;
// Corners of small parts (fields, boxes, bars) are rounded less than faces.
constexpr float kSmallRadiusShare = 0.35f;

float SmallRadius(const CRSControlStyleValues& v, float height) {
  return std::min(v.roundedCornersRadius * kSmallRadiusShare, height / 2.0f);
}

SizeF Measure(const CRSCanvasText* text) { return text ? text->MeasureText() : SizeF(); }

}  // namespace

// --- static text and text field ----------------------------------------------------

void CRSControlStylesDrawn::LayoutStatic(CRSStatic& control) {
  const CRSControlStyleValues& v = GetValues();
  CRSCanvasText* text = control.GetTextItem();
  if (!text) return;
  auto* edit = dynamic_cast<CRSEdit*>(&control);
  SetTextItem(*text, control.GetText(), v.staticTextFont, v.staticTextColor);
  const SizeF textSize = Measure(text);

  if (!edit) {
    if (control.GetAutoSize()) {
      // One pixel more each way leaves room for the shadow.
      control.SetSize(SizeF(textSize.Width + kShadowOffset, textSize.Height + kShadowOffset));
      PlaceShadowedText(*text, control.GetShadowItem(), control.GetText(), v.staticTextFont, v.staticTextColor,
                        PointF(0.0f, 0.0f));
    } else {
      const SizeF size = control.GetSize();
      PlaceShadowedText(*text, control.GetShadowItem(), control.GetText(), v.staticTextFont, v.staticTextColor,
                        PointF(0.0f, std::round((size.Height - textSize.Height) / 2.0f)));
    }
    return;
  }

  // A text field: a darker well with a frame, the text from the left and the
  // caret right after it. A text wider than the field shows its end, since
  // that is where typing happens; the text is clipped to the well by its
  // holder.
  const SizeF size = control.GetSize();
  auto* well = dynamic_cast<CRSCanvasShape*>(control.FindChild("well"));
  if (!well) {
    well = new CRSCanvasShape(PointF(), &control, "well");
    well->SetZOrder(0);
  }
  const bool focused = edit->HasFocus();
  const ARGB border = focused ? Opaque(v.windowBackgroundTitle) : v.windowBorder;
  SetShape(*well, RectF(0.5f, 0.5f, size.Width - 1.0f, size.Height - 1.0f),
           RoundedRect(size.Width - 1.0f, size.Height - 1.0f, SmallRadius(v, size.Height)),
           std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(v.windowBackground)), border,
           focused ? kFocusBorderWidth : 1.0f);

  auto* holder = control.FindChild("clip") ? static_cast<CRSCanvasItem*>(control.FindChild("clip")) : nullptr;
  if (!holder) {
    holder = new CRSCanvasItem(PointF(), &control, "clip");
    holder->SetZOrder(1);
    if (CRSCanvasText* shadow = control.GetShadowItem()) shadow->SetParent(holder);
    text->SetParent(holder);
    if (CRSCanvasItem* caret = edit->GetCaretItem()) caret->SetParent(holder);
  }
  const float innerWidth = std::max(0.0f, size.Width - 2.0f * kFieldPadding);
  holder->SetPosition(PointF(kFieldPadding, 2.0f));
  holder->SetSize(SizeF(innerWidth, std::max(0.0f, size.Height - 4.0f)));
  const float room = innerWidth - kCaretWidth - 2.0f;
  const float shift = textSize.Width > room ? room - textSize.Width : 0.0f;
  const float textTop = std::round((size.Height - textSize.Height) / 2.0f) - 2.0f;
  PlaceShadowedText(*text, control.GetShadowItem(), control.GetText(), v.staticTextFont, v.staticTextColor,
                    PointF(std::round(shift), textTop));

  if (auto* caret = dynamic_cast<CRSCanvasShape*>(edit->GetCaretItem())) {
    const float caretHeight = std::max(4.0f, size.Height - 10.0f);
    const float x = std::round(shift + textSize.Width) + 2.0f;
    SetShape(*caret, RectF(x, std::round((size.Height - caretHeight) / 2.0f) - 2.0f, kCaretWidth, caretHeight),
             RoundedRect(kCaretWidth, caretHeight, 0.0f),
             std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(v.staticTextColor)), 0, 0.0f);
  }
}

// --- group box -------------------------------------------------------------------

void CRSControlStylesDrawn::DrawGroupBox(CRSGroupBox& control) {
  const CRSControlStyleValues& v = GetValues();
  CRSCanvasShape* frame = control.GetFrameItem();
  CRSCanvasText* caption = control.GetCaptionItem();
  CRSCanvasShape* back = control.GetCaptionBackItem();
  if (!frame || !caption) return;
  const SizeF size = control.GetSize();
  SetTextItem(*caption, control.GetCaption(), v.staticTextFont, v.staticTextColor);
  const SizeF captionSize = Measure(caption);
  const bool hasCaption = !control.GetCaption().empty();
  // The frame starts halfway down the caption, which sits on it in a tab of
  // the title colour, like a label on a folder.
  const float top = hasCaption ? std::round(captionSize.Height / 2.0f) : 0.5f;
  const float radius = std::min(v.roundedCornersRadius, 10.0f);
  SetRoundedShape(*frame, RectF(0.5f, top, std::max(0.0f, size.Width - 1.0f), std::max(0.0f, size.Height - top - 0.5f)),
                  radius, ScaleAlpha(v.windowBackground, 0.5f), v.windowBorder, 1.0f);
  const float captionX = std::max(radius, 8.0f) + 4.0f;
  if (back) {
    back->SetVisible(hasCaption);
    if (hasCaption)
      SetRoundedShape(*back, RectF(captionX - 5.0f, 0.5f, captionSize.Width + 10.0f, captionSize.Height),
                      captionSize.Height / 2.0f, v.windowBackgroundTitle, v.windowBorder, 1.0f);
  }
  PlaceShadowedText(*caption, control.GetCaptionShadowItem(), control.GetCaption(), v.staticTextFont,
                    v.staticTextColor, PointF(captionX, 0.0f));
}

// --- check box -------------------------------------------------------------------

void CRSControlStylesDrawn::DrawCheckBox(CRSCheckBox& control) {
  const CRSControlStyleValues& v = GetValues();
  CRSCanvasShape* box = control.GetBoxItem();
  CRSCanvasShape* mark = control.GetMarkItem();
  CRSCanvasText* label = control.GetLabelItem();
  if (!box || !mark || !label) return;
  const float height = std::max(1.0f, v.buttonHeight);
  const float side = std::round(std::clamp(height * 0.7f, 8.0f, 40.0f));
  const float boxTop = std::round((height - side) / 2.0f) + 0.5f;
  const bool enabled = control.IsEnabled();

  ARGB fill = v.buttonBackground;
  if (!enabled) fill = v.buttonBackgroundDisabled;
  else if (control.IsPressed()) fill = v.buttonBackgroundDown;
  // Hovering lifts the box's frame to the hover colour, so the box stays
  // dark enough for its white mark.
  const ARGB border = !enabled ? v.buttonTextDisabled : control.IsHot() ? Opaque(v.buttonBackgroundUp) : v.windowBorder;
  const RectF boxRect(0.5f, boxTop, side, side);
  SetShape(*box, boxRect, RoundedRect(side, side, SmallRadius(v, side)), FaceBrush(RectF(0, 0, side, side), fill),
           border, control.IsHot() && enabled ? kFocusBorderWidth : 1.0f);

  // A tick drawn as an open stroke inside the box.
  auto tick = std::make_unique<Gdiplus::GraphicsPath>();
  const PointF points[] = {PointF(side * 0.22f, side * 0.52f), PointF(side * 0.42f, side * 0.72f),
                           PointF(side * 0.78f, side * 0.28f)};
  tick->AddLines(points, 3);
  auto pen = std::make_shared<Gdiplus::Pen>(Gdiplus::Color(enabled ? v.buttonText : v.buttonTextDisabled),
                                            std::max(1.5f, side / 7.0f));
  pen->SetLineCap(Gdiplus::LineCapRound, Gdiplus::LineCapRound, Gdiplus::LineCapRound);
  pen->SetLineJoin(Gdiplus::LineJoinRound);
  mark->SetFitPath(false);
  mark->SetAntiAliasOutline(true);
  mark->SetPosition(PointF(boxRect.X, boxRect.Y));
  mark->SetSize(SizeF(side, side));
  mark->SetPath(std::move(tick));
  mark->SetPen(std::move(pen), 0);
  mark->SetVisible(control.IsChecked());

  const ARGB textColour = enabled ? v.staticTextColor : v.buttonTextDisabled;
  SetTextItem(*label, control.GetLabel(), v.staticTextFont, textColour);
  const SizeF labelSize = Measure(label);
  const float labelX = side + std::round(side * 0.45f);
  PlaceShadowedText(*label, control.GetLabelShadowItem(), control.GetLabel(), v.staticTextFont, textColour,
                    PointF(labelX, std::round((height - labelSize.Height) / 2.0f)));
  control.SetSize(SizeF(labelX + labelSize.Width + kShadowOffset + 1.0f, height));
}

// --- progress bar ----------------------------------------------------------------

void CRSControlStylesDrawn::DrawProgressBar(CRSProgressBar& control) {
  const CRSControlStyleValues& v = GetValues();
  CRSCanvasShape* track = control.GetTrackItem();
  CRSCanvasShape* bar = control.GetBarItem();
  CRSCanvasText* text = control.GetTextItem();
  if (!track || !bar || !text) return;
  const SizeF size = control.GetSize();
  const float radius = SmallRadius(v, size.Height);
  SetRoundedShape(*track, RectF(0.5f, 0.5f, std::max(0.0f, size.Width - 1.0f), std::max(0.0f, size.Height - 1.0f)),
                  radius, v.windowBackground, v.windowBorder, 1.0f);
  constexpr float kInset = 2.5f;
  const float fraction = std::clamp(control.GetValue() / 100.0f, 0.0f, 1.0f);
  const float fullWidth = std::max(0.0f, size.Width - 2.0f * kInset);
  const float barHeight = std::max(0.0f, size.Height - 2.0f * kInset);
  const float width = std::round(fullWidth * fraction);
  bar->SetVisible(width >= 1.0f);
  if (width >= 1.0f) {
    SetShape(*bar, RectF(kInset, kInset, width, barHeight),
             RoundedRect(width, barHeight, std::max(0.0f, radius - kInset / 2.0f)),
             FaceBrush(RectF(0, 0, width, barHeight), v.buttonBackgroundDown), 0, 0.0f);
  }
  // The figure sits in the middle over both the filled and the empty part:
  // the shadow keeps it readable on either.
  SetTextItem(*text, text->GetText(), v.buttonFont, v.buttonText);
  const SizeF textSize = Measure(text);
  PlaceShadowedText(*text, control.GetTextShadowItem(), text->GetText(), v.buttonFont, v.buttonText,
                    PointF(std::round((size.Width - textSize.Width) / 2.0f),
                           std::round((size.Height - textSize.Height) / 2.0f)));
}

// --- slider ------------------------------------------------------------------------

namespace {

constexpr float kSliderTrackThickness = 6.0f;

// The thumb is a round knob as tall as the slider allows, never larger than
// the button height.
float ThumbSide(const CRSControlStyleValues& v, const CRSSlider& control) {
  const float height = control.GetSize().Height > 0.0f ? control.GetSize().Height : v.buttonHeight;
  return std::max(4.0f, std::min({height, v.buttonHeight, control.GetSize().Width / 2.0f}) - 2.0f);
}

}  // namespace

RectF CRSControlStylesDrawn::GetSliderTrack(CRSSlider& control) {
  const CRSControlStyleValues& v = GetValues();
  const SizeF size = control.GetSize();
  const float side = ThumbSide(v, control);
  return RectF(side / 2.0f, std::round((size.Height - kSliderTrackThickness) / 2.0f),
               std::max(0.0f, size.Width - side), kSliderTrackThickness);
}

float CRSControlStylesDrawn::GetSliderValueAt(CRSSlider& control, const PointF& thumbPosition) {
  // The thumb's left edge runs from 0 to the width less the thumb; its
  // centre then runs along the track.
  const float travel = GetSliderTrack(control).Width;
  const float lo = control.GetMinimum(), hi = control.GetMaximum();
  if (!(travel > 0.0f) || !std::isfinite(thumbPosition.X)) return lo;
  const float t = std::clamp(thumbPosition.X / travel, 0.0f, 1.0f);
  return lo + t * (hi - lo);
}

void CRSControlStylesDrawn::DrawSlider(CRSSlider& control) {
  const CRSControlStyleValues& v = GetValues();
  CRSCanvasShape* track = control.GetTrackItem();
  CRSCanvasShape* thumb = control.GetThumbItem();
  if (!track || !thumb) return;
  const SizeF size = control.GetSize();
  const RectF trackRect = GetSliderTrack(control);
  SetRoundedShape(*track, trackRect, trackRect.Height / 2.0f, v.windowBackground, v.windowBorder, 1.0f);

  const float side = ThumbSide(v, control);
  const float range = control.GetMaximum() - control.GetMinimum();
  const float t = range > 0.0f ? std::clamp((control.GetValue() - control.GetMinimum()) / range, 0.0f, 1.0f) : 0.0f;
  ARGB fill = v.buttonBackground;
  if (control.IsDragging()) fill = v.buttonBackgroundDown;
  const ARGB border = control.IsHot() || control.IsDragging() ? Opaque(v.buttonBackgroundUp) : v.buttonText;
  // The track fills up to the thumb's centre, so the value reads at a glance.
  if (CRSCanvasShape* fill = control.GetFillItem()) {
    const float filled = std::round(t * trackRect.Width);
    fill->SetVisible(filled >= 1.0f);
    if (filled >= 1.0f)
      SetShape(*fill, RectF(trackRect.X, trackRect.Y, filled, trackRect.Height),
               RoundedRect(filled, trackRect.Height, trackRect.Height / 2.0f),
               FaceBrush(RectF(0, 0, filled, trackRect.Height), v.buttonBackgroundDown), 0, 0.0f);
  }
  SetShape(*thumb, RectF(std::round(t * trackRect.Width), std::round((size.Height - side) / 2.0f), side, side),
           RoundedRect(side, side, side / 2.0f), FaceBrush(RectF(0, 0, side, side), fill), border,
           control.IsHot() || control.IsDragging() ? kFocusBorderWidth : 1.5f);
}

// --- choice list ---------------------------------------------------------------------

void CRSControlStylesDrawn::DrawMultiChoices(CRSMultiChoices& control) {
  const CRSControlStyleValues& v = GetValues();
  CRSCanvasShape* back = control.GetBackItem();
  CRSCanvasText* text = control.GetTextItem();
  CRSControlButton* previous = control.GetPreviousButton();
  CRSControlButton* next = control.GetNextButton();
  if (!back || !text || !previous || !next) return;
  // Always a button tall; the buttons are square, one at each end, and the
  // choice shows centred in the well between them.
  const float height = std::max(1.0f, v.buttonHeight);
  if (control.GetSize().Height != height) control.SetSize(SizeF(control.GetSize().Width, height));
  const float width = std::max(control.GetSize().Width, 2.0f * height + 1.0f);
  SetRoundedShape(*back, RectF(0.5f, 0.5f, width - 1.0f, height - 1.0f), SmallRadius(v, height), v.windowBackground,
                  v.windowBorder, 1.0f);
  const SizeF square(height, height);
  if (!previous->GetFaceSize().Equals(square)) previous->SetFaceSize(square);
  if (!next->GetFaceSize().Equals(square)) next->SetFaceSize(square);
  previous->SetPosition(PointF(0.0f, 0.0f));
  next->SetPosition(PointF(width - height, 0.0f));

  SetTextItem(*text, text->GetText(), v.staticTextFont, v.staticTextColor);
  const SizeF textSize = Measure(text);
  const float middle = width / 2.0f;
  PlaceShadowedText(*text, control.GetTextShadowItem(), text->GetText(), v.staticTextFont, v.staticTextColor,
                    PointF(std::round(middle - textSize.Width / 2.0f), std::round((height - textSize.Height) / 2.0f)));
}
