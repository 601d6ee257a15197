// Shape texts: the outline of a text as the path of a shape, so that it can
// be filled, outlined and turned into a silhouette like any other shape.

#include "canvas/items.h"
#include "canvas/items/change_frame.h"
#include "canvas/items/text_pictures.h"

CRSCanvasShapeText::CRSCanvasShapeText(const PointF& position, CRSObject* parent, const std::string& name)
    : CRSCanvasShape(position, parent, name), m_format(std::make_unique<Gdiplus::StringFormat>()) {
  m_format->SetAlignment(Gdiplus::StringAlignmentCenter);
  m_format->SetTrimming(Gdiplus::StringTrimmingNone);
  SetAntiAliasFill(true);
}

CRSCanvasShapeText::~CRSCanvasShapeText() = default;

void CRSCanvasShapeText::RebuildPath() {
  if (m_text.empty() || !m_font) return;
  Gdiplus::FontFamily family;
  m_font->GetFamily(&family);
  // A path fitted to the item is laid out unbounded and then stretched; one
  // that is not keeps the text's own size inside the item's rectangle.
  const RectF layout = GetFitPath() ? RectF() : RectF(0.0f, 0.0f, GetSize().Width, GetSize().Height);
  std::unique_ptr<Gdiplus::GraphicsPath> path =
      text_pictures::Outline(m_text, family, m_font->GetStyle(), m_font->GetSizeInPixels(), layout, *m_format);
  m_builtSize = GetSize();
  SetPath(std::move(path));
}

void CRSCanvasShapeText::SetText(const std::string& text) {
  if (text == m_text) return;
  ChangeFrame frame(*this);
  m_text = text;
  RebuildPath();
}

void CRSCanvasShapeText::SetFont(const Gdiplus::Font& font) {
  ChangeFrame frame(*this);
  m_font.reset(font.Clone());
  RebuildPath();
}

void CRSCanvasShapeText::SetFont(const std::string& familyName, float emSize, int style) {
  SetFont(Gdiplus::Font(familyName, emSize, style, Gdiplus::UnitPoint));
}

void CRSCanvasShapeText::SetStringFormat(const Gdiplus::StringFormat& format) {
  ChangeFrame frame(*this);
  *m_format = format;
  RebuildPath();
}

void CRSCanvasShapeText::UpdateTransform() {
  CRSCanvasShape::UpdateTransform();
  if (!GetFitPath() && !GetSize().Equals(m_builtSize)) RebuildPath();
}
