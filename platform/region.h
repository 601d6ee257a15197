#pragma once
// An area of the plane, the graphics facade's Region, kept as the plane (or
// nothing) narrowed by a sequence of intersections with and exclusions of
// outlines. Each outline is filled by its own fill mode; the drawing layer
// realises a region as a stack of clips.
//
// Intersections with upright rectangles, by far the most common clips (an
// item's box inside a repainted rectangle), are kept as one box rather than
// as outlines: such a region is copied, narrowed and moved without
// allocating, which matters because the drawing layer copies its clip on
// every saved state. Intersections and exclusions commute, so the box
// stands for all of them at once, whatever order they came in.

#include <memory>
#include <vector>

#include "platform/graphics_path.h"
#include "platform/matrix.h"
#include "platform/types.h"

namespace Gdiplus {

enum CombineMode {
  CombineModeReplace = 0,
  CombineModeIntersect = 1,
  CombineModeUnion = 2,
  CombineModeXor = 3,
  CombineModeExclude = 4,
  CombineModeComplement = 5,
};

class Region {
 public:
  struct Step {
    bool exclude = false;  // false: keep only what lies inside path
    GraphicsPath path;
  };

  // The infinite region.
  Region() = default;
  explicit Region(const RectF& rect);
  explicit Region(const Rect& rect);
  explicit Region(const GraphicsPath* path);

  Region* Clone() const { return new Region(*this); }

  Status MakeInfinite();
  Status MakeEmpty();

  Status Intersect(const RectF& rect);
  Status Intersect(const GraphicsPath* path);
  Status Intersect(const Region* region);
  Status Exclude(const RectF& rect);
  Status Exclude(const GraphicsPath* path);
  // Excluding a region made of more than one outline cannot be expressed as
  // a stack of clips; such a call returns NotImplemented and changes nothing.
  Status Exclude(const Region* region);

  Status Translate(float dx, float dy);
  Status Transform(const Matrix* matrix);

  bool IsInfinite() const { return !m_empty && !m_hasBox && m_steps.empty(); }
  // Whether no point is inside; found by rendering the region, so an area
  // thinner than about 1/2048 of its bounds may count as empty.
  bool IsEmpty() const;
  // The bounds of the area. A region with exclusions or several outlines is
  // measured by rendering it, accurate to about 1/2048 of the bounds of its
  // outlines (one pixel for outlines up to 2048 pixels wide); the infinite
  // region gives a very large rectangle.
  Status GetBounds(RectF* bounds) const;
  bool IsVisible(const PointF& point) const;
  bool IsVisible(float x, float y) const { return IsVisible(PointF(x, y)); }

  // For the drawing layer: the area is the box (when there is one) narrowed
  // by the steps; not empty with neither means infinite.
  bool IsEmptyFlag() const { return m_empty; }
  bool HasBox() const { return m_hasBox; }
  const RectF& Box() const { return m_box; }
  const std::vector<Step>& Steps() const { return m_steps; }

  Status GetLastStatus() const { return Ok; }

 private:
  // Turns the box into an outline step, for transforms that turn it.
  void BoxToStep();

  bool m_empty = false;
  bool m_hasBox = false;
  RectF m_box;
  std::vector<Step> m_steps;
};

}  // namespace Gdiplus

using Gdiplus::CombineMode;
using Gdiplus::CombineModeExclude;
using Gdiplus::CombineModeIntersect;
using Gdiplus::CombineModeReplace;
using Gdiplus::Region;
