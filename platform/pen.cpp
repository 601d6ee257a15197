#include "platform/pen.h"

#include <cairo.h>

#include <algorithm>

namespace Gdiplus {

Pen::Pen(const Brush* brush, float width) : m_width(width) {
  if (brush) m_brush.reset(brush->Clone());
}

Pen::Pen(const Pen& other)
    : m_color(other.m_color),
      m_width(other.m_width),
      m_brush(other.m_brush ? other.m_brush->Clone() : nullptr),
      m_join(other.m_join),
      m_cap(other.m_cap),
      m_miterLimit(other.m_miterLimit),
      m_dash(other.m_dash) {}

Pen& Pen::operator=(const Pen& other) {
  if (this != &other) {
    Pen copy(other);
    m_color = copy.m_color;
    m_width = copy.m_width;
    m_brush = std::move(copy.m_brush);
    m_join = copy.m_join;
    m_cap = copy.m_cap;
    m_miterLimit = copy.m_miterLimit;
    m_dash = copy.m_dash;
  }
  return *this;
}

Status Pen::SetWidth(float width) {
  if (!(width >= 0)) return InvalidParameter;
  m_width = width;
  return Ok;
}

Status Pen::GetColor(Color* color) const {
  if (!color) return InvalidParameter;
  *color = m_color;
  return Ok;
}

Status Pen::SetColor(const Color& color) {
  m_color = color;
  m_brush.reset();
  return Ok;
}

Status Pen::SetBrush(const Brush* brush) {
  m_brush.reset(brush ? brush->Clone() : nullptr);
  return Ok;
}

Status Pen::SetLineJoin(LineJoin join) {
  m_join = join;
  return Ok;
}

Status Pen::SetLineCap(LineCap startCap, LineCap, LineCap) { return SetStartCap(startCap); }
Status Pen::SetStartCap(LineCap cap) {
  m_cap = cap;
  return Ok;
}
Status Pen::SetEndCap(LineCap cap) { return SetStartCap(cap); }

Status Pen::SetMiterLimit(float limit) {
  m_miterLimit = std::max(1.0f, limit);
  return Ok;
}

Status Pen::SetDashStyle(DashStyle style) {
  m_dash = style;
  return Ok;
}

void Pen::ApplyTo(cairo_t* cr) const {
  if (m_brush) {
    cairo_pattern_t* p = m_brush->CreatePattern();
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
  } else {
    cairo_set_source_rgba(cr, m_color.GetR() / 255.0, m_color.GetG() / 255.0, m_color.GetB() / 255.0,
                          m_color.GetA() / 255.0);
  }
  cairo_set_line_width(cr, m_width);
  switch (m_join) {
    case LineJoinBevel: cairo_set_line_join(cr, CAIRO_LINE_JOIN_BEVEL); break;
    case LineJoinRound: cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND); break;
    default: cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER); break;
  }
  cairo_set_miter_limit(cr, m_miterLimit);
  switch (m_cap) {
    case LineCapSquare: cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE); break;
    case LineCapRound: cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND); break;
    default: cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT); break;
  }
  // Dash lengths are multiples of the width, as the facade defines them.
  const double w = std::max(m_width, 1.0f);
  const double dash[] = {3 * w, w};
  const double dot[] = {w, w};
  const double dashDot[] = {3 * w, w, w, w};
  const double dashDotDot[] = {3 * w, w, w, w, w, w};
  switch (m_dash) {
    case DashStyleDash: cairo_set_dash(cr, dash, 2, 0); break;
    case DashStyleDot: cairo_set_dash(cr, dot, 2, 0); break;
    case DashStyleDashDot: cairo_set_dash(cr, dashDot, 4, 0); break;
    case DashStyleDashDotDot: cairo_set_dash(cr, dashDotDot, 6, 0); break;
    default: cairo_set_dash(cr, nullptr, 0, 0); break;
  }
}

}  // namespace Gdiplus
