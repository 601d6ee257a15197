#pragma once
// A 2-D affine transform with the graphics facade's meaning: a point (x, y)
// maps to (x·m11 + y·m21 + dx, x·m12 + y·m22 + dy). Operations combine in
// the facade's order: Prepend (the default) makes the new operation act on
// points first, before what the matrix already does; Append makes it act
// last. Angles are degrees, positive clockwise on screen (y grows down).

#include "platform/types.h"

namespace Gdiplus {

// Results of facade calls that can fail; kept as values, never thrown.
enum Status {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  WrongState = 8,
  FontFamilyNotFound = 14,
};

enum MatrixOrder { MatrixOrderPrepend = 0, MatrixOrderAppend = 1 };

class Matrix {
 public:
  // The identity.
  Matrix() = default;
  Matrix(float m11, float m12, float m21, float m22, float dx, float dy);
  // The transform that maps rect onto the parallelogram with corners
  // dstplg[0] (top-left), dstplg[1] (top-right) and dstplg[2] (bottom-left).
  Matrix(const RectF& rect, const PointF* dstplg);
  // Full-precision elements, for platform code that holds them as doubles.
  static Matrix FromElements(double m11, double m12, double m21, double m22, double dx, double dy);

  Matrix* Clone() const { return new Matrix(*this); }

  Status Reset();
  Status SetElements(float m11, float m12, float m21, float m22, float dx, float dy);
  // Writes m11 m12 m21 m22 dx dy.
  Status GetElements(float* m) const;
  float OffsetX() const { return static_cast<float>(m_dx); }
  float OffsetY() const { return static_cast<float>(m_dy); }

  Status Translate(float offsetX, float offsetY, MatrixOrder order = MatrixOrderPrepend);
  Status Rotate(float angle, MatrixOrder order = MatrixOrderPrepend);
  Status RotateAt(float angle, const PointF& center, MatrixOrder order = MatrixOrderPrepend);
  Status Scale(float scaleX, float scaleY, MatrixOrder order = MatrixOrderPrepend);
  Status Shear(float shearX, float shearY, MatrixOrder order = MatrixOrderPrepend);
  Status Multiply(const Matrix& other, MatrixOrder order = MatrixOrderPrepend);

  // Turns the matrix into its inverse; a singular matrix is left unchanged
  // and InvalidParameter is returned.
  Status Invert();
  bool IsInvertible() const;
  bool IsIdentity() const;
  bool Equals(const Matrix& other) const;

  Status TransformPoints(PointF* points, int count = 1) const;
  Status TransformPoints(Point* points, int count = 1) const;
  // Like TransformPoints without the translation (directions and sizes).
  Status TransformVectors(PointF* points, int count = 1) const;

  // Full-precision access for platform code.
  void Map(double x, double y, double* outX, double* outY) const {
    *outX = x * m_11 + y * m_21 + m_dx;
    *outY = x * m_12 + y * m_22 + m_dy;
  }
  double M11() const { return m_11; }
  double M12() const { return m_12; }
  double M21() const { return m_21; }
  double M22() const { return m_22; }
  double DX() const { return m_dx; }
  double DY() const { return m_dy; }

  Status GetLastStatus() const { return Ok; }

 private:
  // this := first · then, where "first" acts on points before "then".
  void Combine(const Matrix& first, const Matrix& then);
  void Apply(const Matrix& op, MatrixOrder order);

  double m_11 = 1, m_12 = 0, m_21 = 0, m_22 = 1, m_dx = 0, m_dy = 0;
};

}  // namespace Gdiplus

using Gdiplus::Matrix;
using Gdiplus::Status;
using Gdiplus::MatrixOrder;
using Gdiplus::MatrixOrderAppend;
using Gdiplus::MatrixOrderPrepend;
