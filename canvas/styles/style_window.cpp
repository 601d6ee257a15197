// The drawn style's control-window frame: background, border, title bar
// with its caption and buttons, and the resize grip.

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "canvas/behaviours.h"
#include "canvas/controls/control_window.h"
#include "canvas/styles.h"
#include "canvas/styles/style_parts.h"
#include "platform/bitmap.h"
#include "platform/cursors.h"
#include "platform/display_scale.h"
#include "platform/graphics.h"

namespace {

enum class Glyph { kClose, kMaximize, kRestore, kMinimize };

// A small white symbol for a title-bar button, drawn once per size and kept:
// every window of that size shares the same pictures.
std::shared_ptr<Gdiplus::Bitmap> GlyphPicture(Glyph glyph, int size) {
  static std::map<std::tuple<int, int, int>, std::shared_ptr<Gdiplus::Bitmap>> cache;
  size = std::clamp(size, 6, 64);
  // Drawn in the screen's device pixels, and shown at its size in units.
  const float scale = platform::GetDisplayScale();
  const int pixels = static_cast<int>(std::lround(size * scale));
  auto& slot = cache[{static_cast<int>(glyph), size, pixels}];
  if (slot) return slot;
  auto bitmap = std::make_shared<Gdiplus::Bitmap>(pixels, pixels, PixelFormat::Format32bppARGB);
  const float density = static_cast<float>(pixels) / static_cast<float>(size);
  bitmap->SetResolution(Gdiplus::Bitmap::kUnitResolution * density, Gdiplus::Bitmap::kUnitResolution * density);
  Gdiplus::Graphics g(bitmap.get());
  g.Clear(Gdiplus::Color(0x00000000u));
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  g.ScaleTransform(density, density);
  const float s = static_cast<float>(size), w = std::max(1.5f, s / 7.0f), in = w;
  Gdiplus::Pen pen(Gdiplus::Color(0xFFFFFFFFu), w);
  Gdiplus::Pen dark(Gdiplus::Color(0x90000000u), w + 1.5f);
  // Each symbol twice: a dark wider stroke underneath keeps it readable on
  // the light hovered face.
  for (Gdiplus::Pen* p : {&dark, &pen}) {
    switch (glyph) {
      case Glyph::kClose:
        g.DrawLine(p, in, in, s - in, s - in);
        g.DrawLine(p, s - in, in, in, s - in);
        break;
      case Glyph::kMaximize:
        g.DrawRectangle(p, in, in, s - 2 * in, s - 2 * in);
        break;
      case Glyph::kRestore:
        g.DrawRectangle(p, in, s * 0.35f, s * 0.6f - in, s * 0.65f - in);
        g.DrawLine(p, s * 0.35f, in, s - in, in);
        g.DrawLine(p, s - in, in, s - in, s * 0.65f);
        break;
      case Glyph::kMinimize:
        g.DrawLine(p, in, s - in * 1.5f, s - in, s - in * 1.5f);
        break;
    }
  }
  g.Flush();
  slot = bitmap;
  return slot;
}

// A rectangle with only its two upper corners rounded: the title bar.
std::unique_ptr<Gdiplus::GraphicsPath> TopRoundedRect(float w, float h, float radius) {
  auto path = std::make_unique<Gdiplus::GraphicsPath>();
  const float r = std::clamp(radius, 0.0f, std::min(w * 0.5f, h));
  if (r < 0.5f) {
    path->AddRectangle(RectF(0, 0, w, h));
    return path;
  }
  path->StartFigure();
  path->AddArc(0, 0, 2 * r, 2 * r, 180.0f, 90.0f);
  path->AddArc(w - 2 * r, 0, 2 * r, 2 * r, 270.0f, 90.0f);
  path->AddLine(w, r, w, h);
  path->AddLine(w, h, 0, h);
  path->CloseFigure();
  return path;
}

CRSControlButton* EnsureTitleButton(CRSControlWindow& window, int slot, CRSCanvasItem& title, const SizeF& size,
                                    Glyph glyph, const std::string& caption) {
  CRSControlButton* button = window.GetTitleButton(slot);
  if (!button || button->GetParent() != &title) {
    static constexpr const char* kNames[] = {"buttonClose", "buttonMaximize", "buttonRestore", "buttonMinimize",
                                             "buttonExtra"};
    button = new CRSControlButton(PointF(), &title, kNames[slot], size, caption);
    // Tab walks the window's content; the title's buttons are the mouse's.
    button->SetTabStop(false);
    if (caption.empty()) {
      const int side = static_cast<int>(std::lround(std::min(size.Width, size.Height) * 0.5f));
      button->SetImages(GlyphPicture(glyph, side), nullptr, nullptr);
    }
    window.SetTitleButton(slot, button);
  } else {
    button->SetFaceSize(size);
  }
  return button;
}

}  // namespace

void CRSControlStylesDrawn::BuildWindowFrame(CRSControlWindow& window) {
  const CRSControlStyleValues& v = m_values;
  const CRSWindowFrameOptions options = window.GetFrameOptions();
  const SizeF size = window.GetSize();
  const float w = std::max(1.0f, size.Width), h = std::max(1.0f, size.Height);
  const bool framed = options.frameMode != CRSFrameMode::kNone;
  const float radius = framed && !window.IsMaximized() ? v.roundedCornersRadius : 0.0f;

  // A soft shadow would show through a see-through window as a dark patch
  // inside it; such windows float without one.
  if ((v.windowBackground >> 24) < 0xF0) {
    if (auto* raise = CRSCanvasBehaviour::Find<CBehaviourRaiseable>(&window)) {
      raise->SetLoweredShadowOffset(PointF());
      raise->SetRaisedShadowOffset(PointF());
    }
  }

  // The window's own shape is its background.
  window.SetPath(style_parts::RoundedRect(RectF(0, 0, w, h), radius));
  window.SetAntiAliasFill(true);
  window.SetBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(v.windowBackground)), 0);

  CRSCanvasItem* frame = window.GetFrameItem();
  if (options.frameMode != CRSFrameMode::kNone) {
    // The border lies on top of the content, half a pixel in, so it stays
    // one crisp line along the straight edges.
    auto* border = dynamic_cast<CRSCanvasShape*>(frame);
    if (!border) {
      border = new CRSCanvasShape(PointF(), &window, "frame");
      border->SetFitPath(false);
      border->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(v.windowBorder), 1.0f));
      border->SetZOrder(CRSCanvasItem::kZOrderDefault + 2);
      frame = border;
    }
    border->SetPath(style_parts::RoundedRect(RectF(0.5f, 0.5f, w - 1.0f, h - 1.0f), std::max(0.0f, radius - 0.5f)));
    border->SetSize(SizeF(w, h));
  }

  CRSCanvasItem* title = window.GetTitleItem();
  CRSCanvasText* caption = window.GetCaptionItem();
  if (options.titleBar) {
    const float th = GetTitleHeight(options.toolWindow);
    auto* bar = dynamic_cast<CRSCanvasShape*>(title);
    if (!bar) {
      bar = new CRSCanvasShape(PointF(), &window, "title");
      bar->SetFitPath(false);
      bar->SetAntiAliasFill(true);
      bar->SetZOrder(CRSCanvasItem::kZOrderDefault + 1);
      title = bar;
    }
    while (bar->GetBrushCount() > 0) bar->RemoveBrush(0);
    bar->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(v.windowBackgroundTitle)));
    bar->AddBrush(std::make_shared<Gdiplus::LinearGradientBrush>(PointF(0, 0), PointF(0, th), Gdiplus::Color(0x50FFFFFFu),
                                                                 Gdiplus::Color(0x00FFFFFFu)));
    bar->SetPath(TopRoundedRect(w, th, radius));
    bar->SetSize(SizeF(w, th));

    if (!caption) {
      auto* shadow = new CRSCanvasText(PointF(), bar, "captionShadow");
      shadow->SetFont(v.windowFont.family, v.windowFont.size, v.windowFont.style);
      shadow->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(0xB0000000u)));
      shadow->SetText(window.GetCaption());
      caption = new CRSCanvasText(PointF(), bar, "caption");
      caption->SetFont(v.windowFont.family, v.windowFont.size, v.windowFont.style);
      caption->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(v.windowText)));
      caption->SetText(window.GetCaption());
    }
    const float left = std::max(8.0f, std::min(radius, th) * 0.6f + 4.0f);
    const float ty = std::round((th - caption->GetSize().Height) * 0.5f);
    caption->SetPosition(PointF(left, ty));
    if (auto* shadow = dynamic_cast<CRSCanvasItem*>(bar->FindChild("captionShadow")))
      shadow->SetPosition(PointF(left + 1.0f, ty + 1.0f));

    // Title-bar buttons from the right: close, maximise or restore,
    // minimise, then the extra button.
    const SizeF buttonSize(std::max(6.0f, v.windowWidthButton - 4.0f), std::max(6.0f, th - 6.0f));
    float x = w - std::max(4.0f, std::min(radius, th) * 0.5f);
    auto place = [&](CRSControlButton* b, float width) {
      x -= width;
      b->SetPosition(PointF(std::round(x), std::round((th - buttonSize.Height) * 0.5f)));
      x -= 2.0f;
    };
    if (window.HasCloseButton()) place(EnsureTitleButton(window, CRSControlWindow::kButtonClose, *bar, buttonSize, Glyph::kClose, {}), buttonSize.Width);
    if (window.HasSystemButtons()) {
      CRSControlButton* max = EnsureTitleButton(window, CRSControlWindow::kButtonMaximize, *bar, buttonSize, Glyph::kMaximize, {});
      CRSControlButton* restore = EnsureTitleButton(window, CRSControlWindow::kButtonRestore, *bar, buttonSize, Glyph::kRestore, {});
      max->SetVisible(!window.IsMaximized());
      restore->SetVisible(window.IsMaximized());
      place(max, buttonSize.Width);
      restore->SetPosition(max->GetPosition());
      place(EnsureTitleButton(window, CRSControlWindow::kButtonMinimize, *bar, buttonSize, Glyph::kMinimize, {}), buttonSize.Width);
    }
    if (!window.GetExtraButtonCaption().empty()) {
      // A captioned button gets room for a short word.
      const SizeF extraSize(std::max(buttonSize.Width, 3.0f * buttonSize.Height), buttonSize.Height);
      CRSControlButton* extra = EnsureTitleButton(window, CRSControlWindow::kButtonExtra, *bar, extraSize, Glyph::kClose,
                                                  window.GetExtraButtonCaption());
      place(extra, extraSize.Width);
    }
    // A caption longer than the bar ends in an ellipsis before the buttons
    // rather than running under them.
    const float room = std::max(0.0f, x - left - 4.0f);
    caption->SetMaxWidth(room);
    if (auto* shadow = dynamic_cast<CRSCanvasText*>(bar->FindChild("captionShadow"))) shadow->SetMaxWidth(room);
  }

  CRSCanvasItem* grip = window.GetGripItem();
  if (options.frameMode == CRSFrameMode::kResizable && !window.IsMaximized()) {
    constexpr float kGrip = 14.0f;
    auto* box = dynamic_cast<CRSCanvasShape*>(grip);
    if (!box) {
      // An invisible square takes the presses; three short strokes show it.
      box = new CRSCanvasShape(PointF(), &window, "grip", style_parts::RoundedRect(RectF(0, 0, kGrip, kGrip), 0));
      box->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(0x01000000u)));
      box->SetZOrder(CRSCanvasItem::kZOrderDefault + 3);
      box->SetCursor(platform::kCursorSizeNWSE);
      auto lines = std::make_unique<Gdiplus::GraphicsPath>();
      for (int i = 0; i < 3; ++i) {
        const float o = 3.0f + 4.0f * static_cast<float>(i);
        lines->StartFigure();
        lines->AddLine(kGrip - 2.0f, o, o, kGrip - 2.0f);
      }
      auto* strokes = new CRSCanvasShape(PointF(), box, "gripLines", std::move(lines));
      strokes->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(v.windowBorder), 1.2f));
      grip = box;
    }
    // Inside the rounded corner, whatever its radius.
    const float inset = 2.0f + radius * 0.3f;
    box->SetPosition(PointF(std::round(w - kGrip - inset), std::round(h - kGrip - inset)));
  } else if (grip) {
    grip->Delete();
    grip = nullptr;
  }
  window.SetFrameParts(options.frameMode != CRSFrameMode::kNone ? frame : nullptr, options.titleBar ? title : nullptr,
                       options.titleBar ? caption : nullptr, grip);
}
