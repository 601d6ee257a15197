// The drawn style's scroll bars: a recessed rounded track and a glossy thumb
// in the button colours whose length shows the page's share of the total.

#include <algorithm>
#include <cmath>

#include "canvas/controls/scroll_bar.h"
#include "canvas/styles.h"
#include "canvas/styles/style_parts.h"

namespace {

struct ScrollGeometry {
  float length = 0.0f;     // along the bar
  float thickness = 0.0f;  // across it
  float thumbLength = 0.0f;
  float travel = 0.0f;     // how far the thumb can move
};

// The thumb is never shorter than this many thicknesses, so it stays easy to
// grab however long the content.
constexpr float kMinThumbThicknesses = 1.5f;

ScrollGeometry Measure(const CRSScrollBar& bar) {
  ScrollGeometry g;
  const SizeF s = bar.GetSize();
  g.length = std::max(0.0f, bar.IsHorizontal() ? s.Width : s.Height);
  g.thickness = std::max(0.0f, bar.IsHorizontal() ? s.Height : s.Width);
  const float total = bar.GetTotal(), page = bar.GetPage();
  float share = total > 0.0f ? page / total : 1.0f;
  share = std::clamp(share, 0.0f, 1.0f);
  g.thumbLength = std::min(g.length, std::max(g.length * share, g.thickness * kMinThumbThicknesses));
  g.travel = std::max(0.0f, g.length - g.thumbLength);
  return g;
}

void Reshape(CRSCanvasShape& shape, const SizeF& size, float radius) {
  if (shape.GetSize().Equals(size) && shape.GetPath()) return;
  shape.SetPath(style_parts::RoundedRect(RectF(0, 0, std::max(1.0f, size.Width), std::max(1.0f, size.Height)), radius));
  shape.SetSize(size);
}

}  // namespace

void CRSControlStylesDrawn::DrawScrollBar(CRSScrollBar& bar) {
  const CRSControlStyleValues& v = m_values;
  const ScrollGeometry g = Measure(bar);
  const bool horizontal = bar.IsHorizontal();
  auto* track = dynamic_cast<CRSCanvasShape*>(bar.GetTrack());
  auto* thumb = dynamic_cast<CRSCanvasShape*>(bar.GetThumb());
  if (!track) {
    track = new CRSCanvasShape(PointF(), &bar, "track");
    track->SetFitPath(false);
    track->SetAntiAliasFill(true);
    track->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(0x50000000u)));
    track->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(0x30FFFFFFu), 1.0f));
  }
  if (!thumb) {
    thumb = new CRSCanvasShape(PointF(), &bar, "thumb");
    thumb->SetFitPath(false);
    thumb->SetAntiAliasFill(true);
    thumb->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(v.buttonBackground)));
    // The sheen runs across the thumb, so it looks round along its length.
    const PointF end = horizontal ? PointF(0, g.thickness) : PointF(g.thickness, 0);
    thumb->AddBrush(std::make_shared<Gdiplus::LinearGradientBrush>(PointF(0, 0), end, Gdiplus::Color(0x60FFFFFFu),
                                                                   Gdiplus::Color(0x00FFFFFFu)));
    thumb->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(0x80FFFFFFu), 1.0f));
  }
  bar.SetParts(track, thumb);
  Reshape(*track, bar.GetSize(), g.thickness * 0.5f);

  constexpr float kInset = 2.0f;
  const float across = std::max(1.0f, g.thickness - 2.0f * kInset);
  const SizeF thumbSize = horizontal ? SizeF(g.thumbLength, across) : SizeF(across, g.thumbLength);
  Reshape(*thumb, thumbSize, across * 0.5f);
  const float max = bar.GetMaxValue();
  const float along = max > 0.0f ? std::round(g.travel * std::clamp(bar.GetValue() / max, 0.0f, 1.0f)) : 0.0f;
  thumb->SetPosition(horizontal ? PointF(along, kInset) : PointF(kInset, along));
  // Nothing to scroll: no thumb to grab.
  thumb->SetVisible(bar.GetTotal() > bar.GetPage() && g.travel > 0.0f);
}

RectF CRSControlStylesDrawn::GetScrollBarTrack(CRSScrollBar& bar) {
  return RectF(0, 0, bar.GetSize().Width, bar.GetSize().Height);
}

float CRSControlStylesDrawn::GetScrollBarValueAt(CRSScrollBar& bar, const PointF& thumbPosition) {
  const ScrollGeometry g = Measure(bar);
  if (g.travel <= 0.0f) return 0.0f;
  const float along = bar.IsHorizontal() ? thumbPosition.X : thumbPosition.Y;
  return std::clamp(along / g.travel, 0.0f, 1.0f) * bar.GetMaxValue();
}
