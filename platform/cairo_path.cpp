#include "platform/cairo_path.h"

#include <algorithm>

namespace Gdiplus {

cairo_matrix_t ToCairoMatrix(const Matrix& m) {
  cairo_matrix_t c;
  cairo_matrix_init(&c, m.M11(), m.M12(), m.M21(), m.M22(), m.DX(), m.DY());
  return c;
}

Matrix FromCairoMatrix(const cairo_matrix_t& c) {
  return Matrix::FromElements(c.xx, c.yx, c.xy, c.yy, c.x0, c.y0);
}

void ApplyMatrix(cairo_t* cr, const Matrix& matrix) {
  // Cairo refuses singular matrices by putting the context into an error
  // state for good; a collapsed transform draws nothing either way, so skip
  // it and leave the context usable.
  if (!matrix.IsInvertible()) return;
  const cairo_matrix_t c = ToCairoMatrix(matrix);
  cairo_transform(cr, &c);
}

void SetFillRule(cairo_t* cr, FillMode mode) {
  cairo_set_fill_rule(cr, mode == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
}

void AppendPath(cairo_t* cr, const GraphicsPath& path) {
  const auto& pts = path.Points();
  const auto& types = path.Types();
  const size_t n = pts.size();
  for (size_t i = 0; i < n; ++i) {
    const std::uint8_t kind = types[i] & PathPointTypePathTypeMask;
    if (kind == PathPointTypeStart) {
      cairo_move_to(cr, pts[i].X, pts[i].Y);
    } else if (kind == PathPointTypeBezier && i + 2 < n) {
      cairo_curve_to(cr, pts[i].X, pts[i].Y, pts[i + 1].X, pts[i + 1].Y, pts[i + 2].X, pts[i + 2].Y);
      i += 2;
    } else {
      cairo_line_to(cr, pts[i].X, pts[i].Y);
    }
    if (types[i] & PathPointTypeCloseSubpath) cairo_close_path(cr);
  }
  SetFillRule(cr, path.GetFillMode());
}

void ClipExcluding(cairo_t* cr, const GraphicsPath& path) {
  double x1, y1, x2, y2;
  cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
  RectF b;
  path.GetBounds(&b);
  // An enclosing rectangle plus the outline, filled even-odd, is everything
  // outside the outline within the current clip.
  x1 = std::min<double>(x1, b.X) - 1;
  y1 = std::min<double>(y1, b.Y) - 1;
  x2 = std::max<double>(x2, b.GetRight()) + 1;
  y2 = std::max<double>(y2, b.GetBottom()) + 1;
  cairo_new_path(cr);
  cairo_rectangle(cr, x1, y1, x2 - x1, y2 - y1);
  AppendPath(cr, path);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_clip(cr);
}

void ClipToRegion(cairo_t* cr, const Region& region) {
  if (region.IsEmptyFlag()) {
    cairo_new_path(cr);
    cairo_rectangle(cr, 0, 0, 0, 0);
    cairo_clip(cr);
    return;
  }
  if (region.HasBox()) {
    const RectF& box = region.Box();
    cairo_new_path(cr);
    cairo_rectangle(cr, box.X, box.Y, box.Width, box.Height);
    cairo_clip(cr);
  }
  for (const Region::Step& step : region.Steps()) {
    if (step.exclude) {
      ClipExcluding(cr, step.path);
    } else {
      cairo_new_path(cr);
      AppendPath(cr, step.path);
      cairo_clip(cr);
    }
  }
}

void AppendCairoPathData(GraphicsPath* path, const cairo_path_t* data) {
  if (!path || !data || data->status != CAIRO_STATUS_SUCCESS) return;
  path->StartFigure();
  PointF current;
  for (int i = 0; i < data->num_data; i += data->data[i].header.length) {
    const cairo_path_data_t* d = &data->data[i];
    switch (d->header.type) {
      case CAIRO_PATH_MOVE_TO:
        path->StartFigure();
        current = PointF(float(d[1].point.x), float(d[1].point.y));
        break;
      case CAIRO_PATH_LINE_TO: {
        const PointF to(float(d[1].point.x), float(d[1].point.y));
        path->AddLine(current, to);
        current = to;
        break;
      }
      case CAIRO_PATH_CURVE_TO: {
        const PointF c1(float(d[1].point.x), float(d[1].point.y));
        const PointF c2(float(d[2].point.x), float(d[2].point.y));
        const PointF to(float(d[3].point.x), float(d[3].point.y));
        path->AddBezier(current, c1, c2, to);
        current = to;
        break;
      }
      case CAIRO_PATH_CLOSE_PATH:
        path->CloseFigure();
        break;
    }
  }
  path->StartFigure();
}

}  // namespace Gdiplus
