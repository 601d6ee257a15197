#include "platform/brush.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "platform/cairo_path.h"

namespace Gdiplus {

namespace {

void AddStop(cairo_pattern_t* p, double offset, const Color& c) {
  cairo_pattern_add_color_stop_rgba(p, offset, c.GetR() / 255.0, c.GetG() / 255.0, c.GetB() / 255.0,
                                    c.GetA() / 255.0);
}

cairo_extend_t ExtendFor(WrapMode mode) {
  switch (mode) {
    case WrapModeTile: return CAIRO_EXTEND_REPEAT;
    case WrapModeClamp: return CAIRO_EXTEND_NONE;
    default: return CAIRO_EXTEND_REFLECT;
  }
}

}  // namespace

cairo_pattern_t* SolidBrush::CreatePattern() const {
  return cairo_pattern_create_rgba(m_color.GetR() / 255.0, m_color.GetG() / 255.0, m_color.GetB() / 255.0,
                                   m_color.GetA() / 255.0);
}

Status SolidBrush::GetColor(Color* color) const {
  if (!color) return InvalidParameter;
  *color = m_color;
  return Ok;
}

Status SolidBrush::SetColor(const Color& color) {
  m_color = color;
  return Ok;
}

Status TransformableBrush::SetTransform(const Matrix* matrix) {
  if (!matrix) return InvalidParameter;
  m_transform = *matrix;
  return Ok;
}

Status TransformableBrush::GetTransform(Matrix* matrix) const {
  if (!matrix) return InvalidParameter;
  *matrix = m_transform;
  return Ok;
}

Status TransformableBrush::ResetTransform() { return m_transform.Reset(); }

Status TransformableBrush::MultiplyTransform(const Matrix* matrix, MatrixOrder order) {
  if (!matrix) return InvalidParameter;
  return m_transform.Multiply(*matrix, order);
}

Status TransformableBrush::TranslateTransform(float dx, float dy, MatrixOrder order) {
  return m_transform.Translate(dx, dy, order);
}

Status TransformableBrush::ScaleTransform(float sx, float sy, MatrixOrder order) {
  return m_transform.Scale(sx, sy, order);
}

Status TransformableBrush::RotateTransform(float angle, MatrixOrder order) { return m_transform.Rotate(angle, order); }

Status TransformableBrush::SetWrapMode(WrapMode mode) {
  m_wrap = mode;
  return Ok;
}

void TransformableBrush::Finish(cairo_pattern_t* pattern) const {
  cairo_pattern_set_extend(pattern, ExtendFor(m_wrap));
  // A Cairo pattern matrix maps user space to pattern space: the inverse of
  // the brush transform. A singular transform leaves the fill untransformed.
  Matrix inverse(m_transform);
  if (inverse.Invert() == Ok) {
    const cairo_matrix_t m = ToCairoMatrix(inverse);
    cairo_pattern_set_matrix(pattern, &m);
  }
}

LinearGradientBrush::LinearGradientBrush(const PointF& p1, const PointF& p2, const Color& c1, const Color& c2)
    : m_p1(p1), m_p2(p2), m_c1(c1), m_c2(c2) {}

LinearGradientBrush::LinearGradientBrush(const RectF& r, const Color& c1, const Color& c2, LinearGradientMode mode)
    : m_c1(c1), m_c2(c2) {
  switch (mode) {
    case LinearGradientModeHorizontal:
      m_p1 = PointF(r.X, r.Y);
      m_p2 = PointF(r.GetRight(), r.Y);
      break;
    case LinearGradientModeVertical:
      m_p1 = PointF(r.X, r.Y);
      m_p2 = PointF(r.X, r.GetBottom());
      break;
    case LinearGradientModeForwardDiagonal:
    case LinearGradientModeBackwardDiagonal: {
      // Colour lines run along the other diagonal, so the gradient axis is
      // the diagonal's normal through the centre, spanning the rectangle.
      const float cx = r.X + r.Width / 2, cy = r.Y + r.Height / 2;
      const float w = r.Width, h = r.Height;
      const float len2 = w * w + h * h;
      const float sign = mode == LinearGradientModeForwardDiagonal ? 1.0f : -1.0f;
      // The axis is normal to the other diagonal, scaled so that the
      // starting corner (top-left, or top-right going backwards) lands on
      // point 1 and the opposite corner on point 2.
      const float k = len2 > 0 ? (w * h) / len2 : 0.0f;
      const float dx = sign * h * k, dy = w * k;
      m_p1 = PointF(cx - dx, cy - dy);
      m_p2 = PointF(cx + dx, cy + dy);
      break;
    }
  }
}

Status LinearGradientBrush::SetLinearColors(const Color& c1, const Color& c2) {
  m_c1 = c1;
  m_c2 = c2;
  m_stops.clear();
  return Ok;
}

Status LinearGradientBrush::GetLinearColors(Color* colors) const {
  if (!colors) return InvalidParameter;
  colors[0] = m_c1;
  colors[1] = m_c2;
  return Ok;
}

Status LinearGradientBrush::SetInterpolationColors(const Color* colors, const float* positions, int count) {
  if (!colors || !positions || count < 2) return InvalidParameter;
  m_stops.clear();
  for (int i = 0; i < count; ++i) m_stops.emplace_back(std::clamp(positions[i], 0.0f, 1.0f), colors[i]);
  return Ok;
}

Status LinearGradientBrush::GetRectangle(RectF* rect) const {
  if (!rect) return InvalidParameter;
  *rect = RectF(std::min(m_p1.X, m_p2.X), std::min(m_p1.Y, m_p2.Y), std::fabs(m_p2.X - m_p1.X),
                std::fabs(m_p2.Y - m_p1.Y));
  return Ok;
}

cairo_pattern_t* LinearGradientBrush::CreatePattern() const {
  cairo_pattern_t* p = cairo_pattern_create_linear(m_p1.X, m_p1.Y, m_p2.X, m_p2.Y);
  if (m_stops.empty()) {
    AddStop(p, 0.0, m_c1);
    AddStop(p, 1.0, m_c2);
  } else {
    for (const auto& [offset, colour] : m_stops) AddStop(p, offset, colour);
  }
  Finish(p);
  return p;
}

TextureBrush::TextureBrush(const Bitmap* image, WrapMode wrapMode) {
  m_wrap = wrapMode;
  if (image && image->IsValid()) m_surface = cairo_surface_reference(image->GetSurface());
}

TextureBrush::TextureBrush(const Bitmap* image, WrapMode wrapMode, const RectF& srcRect) {
  m_wrap = wrapMode;
  if (!image || !image->IsValid()) return;
  const int x = static_cast<int>(srcRect.X), y = static_cast<int>(srcRect.Y);
  const int w = static_cast<int>(srcRect.Width), h = static_cast<int>(srcRect.Height);
  if (x < 0 || y < 0 || w <= 0 || h <= 0 || x + w > image->GetWidth() || y + h > image->GetHeight()) return;
  const cairo_format_t format = image->HasAlpha() ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24;
  cairo_surface_t* copy = cairo_image_surface_create(format, w, h);
  cairo_t* cr = cairo_create(copy);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, image->GetSurface(), -x, -y);
  cairo_paint(cr);
  cairo_destroy(cr);
  if (cairo_surface_status(copy) == CAIRO_STATUS_SUCCESS)
    m_surface = copy;
  else
    cairo_surface_destroy(copy);
}

TextureBrush::TextureBrush(const TextureBrush& other) : TransformableBrush(other) {
  if (other.m_surface) m_surface = cairo_surface_reference(other.m_surface);
}

TextureBrush::~TextureBrush() {
  if (m_surface) cairo_surface_destroy(m_surface);
}

cairo_pattern_t* TextureBrush::CreatePattern() const {
  if (!m_surface) return cairo_pattern_create_rgba(0, 0, 0, 0);
  cairo_pattern_t* p = cairo_pattern_create_for_surface(m_surface);
  Finish(p);
  return p;
}

}  // namespace Gdiplus
