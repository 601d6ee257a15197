#pragma once
// An outline style: colour (or brush), width in world units, line join, caps
// and dashes. A width of 0 draws a one-pixel line whatever the transform.

#include <memory>

#include "platform/brush.h"

typedef struct _cairo cairo_t;

namespace Gdiplus {

enum LineJoin { LineJoinMiter = 0, LineJoinBevel = 1, LineJoinRound = 2, LineJoinMiterClipped = 3 };
enum LineCap { LineCapFlat = 0, LineCapSquare = 1, LineCapRound = 2 };
enum DashStyle { DashStyleSolid = 0, DashStyleDash = 1, DashStyleDot = 2, DashStyleDashDot = 3, DashStyleDashDotDot = 4 };

class Pen {
 public:
  explicit Pen(const Color& color, float width = 1.0f) : m_color(color), m_width(width) {}
  explicit Pen(const Brush* brush, float width = 1.0f);
  Pen(const Pen& other);
  Pen& operator=(const Pen& other);
  Pen* Clone() const { return new Pen(*this); }

  float GetWidth() const { return m_width; }
  Status SetWidth(float width);
  Status GetColor(Color* color) const;
  Status SetColor(const Color& color);
  // The pen fills its outline with a copy of brush (null returns to the colour).
  Status SetBrush(const Brush* brush);
  const Brush* GetBrush() const { return m_brush.get(); }
  LineJoin GetLineJoin() const { return m_join; }
  Status SetLineJoin(LineJoin join);
  Status SetLineCap(LineCap startCap, LineCap endCap, LineCap dashCap);
  Status SetStartCap(LineCap cap);
  Status SetEndCap(LineCap cap);
  Status SetMiterLimit(float limit);
  LineCap GetLineCap() const { return m_cap; }
  float GetMiterLimit() const { return m_miterLimit; }
  DashStyle GetDashStyle() const { return m_dash; }
  Status SetDashStyle(DashStyle style);
  Status GetLastStatus() const { return Ok; }

  // Sets source, width, join, cap and dashes on cr (platform code only). The
  // width is set in the current user space; the caller handles width 0.
  void ApplyTo(cairo_t* cr) const;

 private:
  Color m_color;
  float m_width = 1.0f;
  std::unique_ptr<Brush> m_brush;
  LineJoin m_join = LineJoinMiter;
  LineCap m_cap = LineCapFlat;
  float m_miterLimit = 10.0f;
  DashStyle m_dash = DashStyleSolid;
};

}  // namespace Gdiplus

using Gdiplus::Pen;
