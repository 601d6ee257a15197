#include "platform/matrix.h"

#include <cmath>
#include <numbers>

namespace Gdiplus {

namespace {

// Below this determinant a matrix is treated as singular: inverting it would
// blow coordinates up beyond what single-precision canvas geometry can hold.
constexpr double kSingularDeterminant = 1e-12;

}  // namespace

Matrix::Matrix(float m11, float m12, float m21, float m22, float dx, float dy)
    : m_11(m11), m_12(m12), m_21(m21), m_22(m22), m_dx(dx), m_dy(dy) {}

Matrix Matrix::FromElements(double m11, double m12, double m21, double m22, double dx, double dy) {
  Matrix m;
  m.m_11 = m11;
  m.m_12 = m12;
  m.m_21 = m21;
  m.m_22 = m22;
  m.m_dx = dx;
  m.m_dy = dy;
  return m;
}

Matrix::Matrix(const RectF& rect, const PointF* dstplg) {
  if (!dstplg || rect.Width == 0.0f || rect.Height == 0.0f) return;
  // Unit square → parallelogram, preceded by rect → unit square.
  const double ux = (double(dstplg[1].X) - dstplg[0].X) / rect.Width;
  const double uy = (double(dstplg[1].Y) - dstplg[0].Y) / rect.Width;
  const double vx = (double(dstplg[2].X) - dstplg[0].X) / rect.Height;
  const double vy = (double(dstplg[2].Y) - dstplg[0].Y) / rect.Height;
  m_11 = ux;
  m_12 = uy;
  m_21 = vx;
  m_22 = vy;
  m_dx = dstplg[0].X - rect.X * ux - rect.Y * vx;
  m_dy = dstplg[0].Y - rect.X * uy - rect.Y * vy;
}

Status Matrix::Reset() {
  *this = Matrix();
  return Ok;
}

Status Matrix::SetElements(float m11, float m12, float m21, float m22, float dx, float dy) {
  *this = Matrix(m11, m12, m21, m22, dx, dy);
  return Ok;
}

Status Matrix::GetElements(float* m) const {
  if (!m) return InvalidParameter;
  m[0] = static_cast<float>(m_11);
  m[1] = static_cast<float>(m_12);
  m[2] = static_cast<float>(m_21);
  m[3] = static_cast<float>(m_22);
  m[4] = static_cast<float>(m_dx);
  m[5] = static_cast<float>(m_dy);
  return Ok;
}

void Matrix::Combine(const Matrix& a, const Matrix& b) {
  // Row-vector convention: p' = p · A · B.
  const double m11 = a.m_11 * b.m_11 + a.m_12 * b.m_21;
  const double m12 = a.m_11 * b.m_12 + a.m_12 * b.m_22;
  const double m21 = a.m_21 * b.m_11 + a.m_22 * b.m_21;
  const double m22 = a.m_21 * b.m_12 + a.m_22 * b.m_22;
  const double dx = a.m_dx * b.m_11 + a.m_dy * b.m_21 + b.m_dx;
  const double dy = a.m_dx * b.m_12 + a.m_dy * b.m_22 + b.m_dy;
  m_11 = m11;
  m_12 = m12;
  m_21 = m21;
  m_22 = m22;
  m_dx = dx;
  m_dy = dy;
}

void Matrix::Apply(const Matrix& op, MatrixOrder order) {
  const Matrix current = *this;
  if (order == MatrixOrderAppend)
    Combine(current, op);
  else
    Combine(op, current);
}

Status Matrix::Translate(float offsetX, float offsetY, MatrixOrder order) {
  Matrix op;
  op.m_dx = offsetX;
  op.m_dy = offsetY;
  Apply(op, order);
  return Ok;
}

Status Matrix::Rotate(float angle, MatrixOrder order) {
  const double rad = double(angle) * std::numbers::pi / 180.0;
  double c = std::cos(rad), s = std::sin(rad);
  // Quarter turns come out exact, so turned pieces keep integral positions.
  if (std::fabs(c) < 1e-15) c = 0;
  if (std::fabs(s) < 1e-15) s = 0;
  Matrix op;
  op.m_11 = c;
  op.m_12 = s;
  op.m_21 = -s;
  op.m_22 = c;
  Apply(op, order);
  return Ok;
}

Status Matrix::RotateAt(float angle, const PointF& center, MatrixOrder order) {
  Matrix op;
  op.Translate(center.X, center.Y);
  op.Rotate(angle);
  op.Translate(-center.X, -center.Y);
  Apply(op, order);
  return Ok;
}

Status Matrix::Scale(float scaleX, float scaleY, MatrixOrder order) {
  Matrix op;
  op.m_11 = scaleX;
  op.m_22 = scaleY;
  Apply(op, order);
  return Ok;
}

Status Matrix::Shear(float shearX, float shearY, MatrixOrder order) {
  Matrix op;
  op.m_21 = shearX;
  op.m_12 = shearY;
  Apply(op, order);
  return Ok;
}

Status Matrix::Multiply(const Matrix& other, MatrixOrder order) {
  Apply(other, order);
  return Ok;
}

bool Matrix::IsInvertible() const {
  const double det = m_11 * m_22 - m_12 * m_21;
  return std::isfinite(det) && std::fabs(det) > kSingularDeterminant;
}

Status Matrix::Invert() {
  if (!IsInvertible()) return InvalidParameter;
  const double det = m_11 * m_22 - m_12 * m_21;
  const double i11 = m_22 / det, i12 = -m_12 / det, i21 = -m_21 / det, i22 = m_11 / det;
  const double idx = -(m_dx * i11 + m_dy * i21);
  const double idy = -(m_dx * i12 + m_dy * i22);
  m_11 = i11;
  m_12 = i12;
  m_21 = i21;
  m_22 = i22;
  m_dx = idx;
  m_dy = idy;
  return Ok;
}

bool Matrix::IsIdentity() const {
  constexpr double e = 1e-6;
  return std::fabs(m_11 - 1) < e && std::fabs(m_12) < e && std::fabs(m_21) < e && std::fabs(m_22 - 1) < e &&
         std::fabs(m_dx) < e && std::fabs(m_dy) < e;
}

bool Matrix::Equals(const Matrix& o) const {
  constexpr double e = 1e-5;
  return std::fabs(m_11 - o.m_11) < e && std::fabs(m_12 - o.m_12) < e && std::fabs(m_21 - o.m_21) < e &&
         std::fabs(m_22 - o.m_22) < e && std::fabs(m_dx - o.m_dx) < e && std::fabs(m_dy - o.m_dy) < e;
}

Status Matrix::TransformPoints(PointF* points, int count) const {
  if (!points || count < 0) return InvalidParameter;
  for (int i = 0; i < count; ++i) {
    double x, y;
    Map(points[i].X, points[i].Y, &x, &y);
    points[i] = PointF(static_cast<float>(x), static_cast<float>(y));
  }
  return Ok;
}

Status Matrix::TransformPoints(Point* points, int count) const {
  if (!points || count < 0) return InvalidParameter;
  for (int i = 0; i < count; ++i) {
    double x, y;
    Map(points[i].X, points[i].Y, &x, &y);
    points[i] = Point(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
  }
  return Ok;
}

Status Matrix::TransformVectors(PointF* points, int count) const {
  if (!points || count < 0) return InvalidParameter;
  for (int i = 0; i < count; ++i) {
    const double x = points[i].X * m_11 + points[i].Y * m_21;
    const double y = points[i].X * m_12 + points[i].Y * m_22;
    points[i] = PointF(static_cast<float>(x), static_cast<float>(y));
  }
  return Ok;
}

}  // namespace Gdiplus
