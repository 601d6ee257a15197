#pragma once
// An outline made of figures of straight lines and cubic Bézier curves, the
// graphics facade's GraphicsPath. Points and their types are stored the way
// the facade describes them: each figure begins with a Start point, followed
// by Line points and Bézier triples; the last point of a closed figure
// carries the CloseSubpath flag.
//
// Joining rule: while the current figure is open, adding lines, curves or
// arcs continues it, and when the new piece does not begin where the figure
// ends, a straight segment joins the two. StartFigure (and the closed shapes:
// rectangles, ellipses) begin a new figure instead.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/matrix.h"
#include "platform/types.h"

namespace Gdiplus {

class FontFamily;
class StringFormat;

enum FillMode { FillModeAlternate = 0, FillModeWinding = 1 };

enum PathPointType : std::uint8_t {
  PathPointTypeStart = 0,
  PathPointTypeLine = 1,
  PathPointTypeBezier = 3,
  PathPointTypePathTypeMask = 0x07,
  PathPointTypeCloseSubpath = 0x80,
};

class GraphicsPath {
 public:
  explicit GraphicsPath(FillMode fillMode = FillModeAlternate) : m_fillMode(fillMode) {}
  // A path from points and their PathPointType bytes; the types are checked
  // and repaired (a figure always begins with a Start point, Bézier points
  // come in threes) so that bad input cannot make later walks overrun.
  GraphicsPath(const PointF* points, const std::uint8_t* types, int count, FillMode fillMode = FillModeAlternate);

  GraphicsPath(const GraphicsPath&) = default;
  GraphicsPath& operator=(const GraphicsPath&) = default;
  GraphicsPath* Clone() const { return new GraphicsPath(*this); }

  Status Reset();
  FillMode GetFillMode() const { return m_fillMode; }
  Status SetFillMode(FillMode mode);

  Status StartFigure();
  Status CloseFigure();
  Status CloseAllFigures();

  Status AddLine(const PointF& a, const PointF& b);
  Status AddLine(float x1, float y1, float x2, float y2) { return AddLine(PointF(x1, y1), PointF(x2, y2)); }
  Status AddLines(const PointF* points, int count);
  Status AddBezier(const PointF& p1, const PointF& p2, const PointF& p3, const PointF& p4);
  // points[0] then triples of (control, control, end); count = 3k + 1.
  Status AddBeziers(const PointF* points, int count);
  // An open cardinal spline through the points, as Bézier segments whose
  // control points lie tension/3 of the neighbouring chord away from each
  // knot; the ends use their own chord.
  Status AddCurve(const PointF* points, int count, float tension = 0.5f);
  // An arc of the ellipse inscribed in rect, from startAngle sweeping by
  // sweepAngle degrees (clockwise positive), as Bézier segments. Angles are
  // geometric: the arc starts where the ray at startAngle meets the ellipse.
  Status AddArc(const RectF& rect, float startAngle, float sweepAngle);
  Status AddArc(float x, float y, float w, float h, float startAngle, float sweepAngle) {
    return AddArc(RectF(x, y, w, h), startAngle, sweepAngle);
  }
  Status AddRectangle(const RectF& rect);
  Status AddRectangles(const RectF* rects, int count);
  Status AddEllipse(const RectF& rect);
  Status AddEllipse(float x, float y, float w, float h) { return AddEllipse(RectF(x, y, w, h)); }
  Status AddPolygon(const PointF* points, int count);
  // Appends the figures of other. With connect, its first figure continues
  // the current figure when that is open (joined by a straight segment).
  Status AddPath(const GraphicsPath* other, bool connect);
  // The outline of text, laid out in layoutRect (a zero width or height
  // means unbounded in that direction). emSize is in world units.
  Status AddString(const std::string& text, const FontFamily* family, int style, float emSize,
                   const RectF& layoutRect, const StringFormat* format);
  Status AddString(const std::string& text, const FontFamily* family, int style, float emSize,
                   const PointF& origin, const StringFormat* format);

  Status Transform(const Matrix* matrix);
  Status Transform(const Matrix& matrix) { return Transform(&matrix); }
  // Replaces every curve by straight segments no further than flatness from
  // it, transformed by matrix first when one is given.
  Status Flatten(const Matrix* matrix = nullptr, float flatness = 0.25f);
  Status Reverse();

  // The tight bounds of the curves (not of their control points), of the
  // path transformed by matrix when one is given. An empty path gives an
  // empty rectangle at (0, 0).
  Status GetBounds(RectF* bounds, const Matrix* matrix = nullptr) const;
  // Whether the point lies inside the fill, by the fill mode; every figure
  // counts as closed.
  bool IsVisible(const PointF& point) const;
  bool IsVisible(float x, float y) const { return IsVisible(PointF(x, y)); }
  // Whether the point lies on the outline drawn with a pen of this width
  // (widths under one pixel count as one pixel).
  bool IsOutlineVisible(const PointF& point, float penWidth) const;

  int GetPointCount() const { return static_cast<int>(m_points.size()); }
  Status GetPathPoints(PointF* points, int count) const;
  Status GetPathTypes(std::uint8_t* types, int count) const;
  Status GetLastPoint(PointF* point) const;
  const std::vector<PointF>& Points() const { return m_points; }
  const std::vector<std::uint8_t>& Types() const { return m_types; }
  bool IsEmpty() const { return m_points.empty(); }

  Status GetLastStatus() const { return Ok; }

  // The figures flattened to polygons (each implicitly closed when filled),
  // with curves split until they lie within tolerance of the chords.
  std::vector<std::vector<PointF>> FlattenToPolygons(float tolerance = 0.1f) const;
  // The polygons as above, with one flag per polygon telling whether its
  // figure was closed.
  void FlattenFigures(float tolerance, std::vector<std::vector<PointF>>* polygons,
                      std::vector<bool>* closed) const;

 private:
  // Begins a new figure at p, or joins p to the open figure with a line.
  void MoveOrLineTo(const PointF& p);
  bool FigureOpen() const;

  std::vector<PointF> m_points;
  std::vector<std::uint8_t> m_types;
  FillMode m_fillMode = FillModeAlternate;
  bool m_newFigure = true;  // the next point starts a figure
};

}  // namespace Gdiplus

using Gdiplus::FillMode;
using Gdiplus::FillModeAlternate;
using Gdiplus::FillModeWinding;
using Gdiplus::GraphicsPath;
