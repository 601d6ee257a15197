// Text items: a string drawn with the brushes, sized to its measured layout.

#include <algorithm>

#include "canvas/items.h"
#include "canvas/items/change_frame.h"

namespace {

std::unique_ptr<Gdiplus::StringFormat> CentredFormat() {
  auto format = std::make_unique<Gdiplus::StringFormat>();
  format->SetAlignment(Gdiplus::StringAlignmentCenter);
  format->SetTrimming(Gdiplus::StringTrimmingNone);
  return format;
}

}  // namespace

CRSCanvasText::CRSCanvasText(const PointF& position, CRSObject* parent, const std::string& name)
    : CRSCanvasBrushItem(position, parent, name), m_format(CentredFormat()) {
  m_format->SetHotkeyPrefix(Gdiplus::HotkeyPrefixHide);
}

CRSCanvasText::~CRSCanvasText() = default;

void CRSCanvasText::PaintContent(Gdiplus::Graphics& g, bool) {
  if (m_text.empty() || !m_font) return;
  const RectF layout(0.0f, 0.0f, GetSize().Width, GetSize().Height);
  for (const auto& brush : Brushes()) {
    g.DrawString(m_text, m_font.get(), layout, m_format.get(), brush.get());
  }
}

SizeF CRSCanvasText::MeasureText() const {
  if (m_text.empty() || !m_font) return SizeF();
  // Measuring needs a drawing context; a one-pixel picture stands in for
  // the screen, whose resolution every context shares.
  static Gdiplus::Bitmap screen(1, 1, PixelFormat::Format32bppARGB);
  Gdiplus::Graphics g(&screen);
  RectF bounds;
  g.MeasureString(m_text, m_font.get(), RectF(), m_format.get(), &bounds);
  return bounds.GetSize();
}

void CRSCanvasText::Relayout() {
  if (m_sizeToText) {
    // Measured untrimmed: the limit applies to the whole text.
    m_format->SetTrimming(Gdiplus::StringTrimmingNone);
    m_format->SetFormatFlags(m_format->GetFormatFlags() & ~Gdiplus::StringFormatFlagsNoWrap);
    SizeF size = MeasureText();
    if (m_maxWidth > 0.0f && size.Width > m_maxWidth) {
      m_format->SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
      m_format->SetFormatFlags(m_format->GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap);
      size.Width = m_maxWidth;
    }
    SetSize(size);
  }
  sigContentChanged(this);
}

void CRSCanvasText::SetMaxWidth(float width) {
  width = std::max(0.0f, width);
  if (width == m_maxWidth) return;
  {
    ChangeFrame frame(*this);
    m_maxWidth = width;
  }
  Relayout();
}

void CRSCanvasText::SetText(const std::string& text) {
  if (text == m_text) return;
  {
    ChangeFrame frame(*this);
    m_text = text;
  }
  Relayout();
}

void CRSCanvasText::SetFont(const Gdiplus::Font& font) {
  {
    ChangeFrame frame(*this);
    m_font.reset(font.Clone());
  }
  Relayout();
}

void CRSCanvasText::SetFont(const std::string& familyName, float emSize, int style) {
  SetFont(Gdiplus::Font(familyName, emSize, style, Gdiplus::UnitPoint));
}

void CRSCanvasText::SetSizeToText(bool on) {
  if (on == m_sizeToText) return;
  m_sizeToText = on;
  if (on) Relayout();
}

void CRSCanvasText::SetHotkeyPrefix(bool show) {
  if (show == m_hotkeyPrefix) return;
  {
    ChangeFrame frame(*this);
    m_hotkeyPrefix = show;
    m_format->SetHotkeyPrefix(show ? Gdiplus::HotkeyPrefixShow : Gdiplus::HotkeyPrefixHide);
  }
  Relayout();
}
