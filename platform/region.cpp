#include "platform/region.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/cairo_path.h"

namespace Gdiplus {

namespace {

// The bounds reported for the infinite region, as large as single-precision
// canvas coordinates sensibly go.
constexpr float kInfiniteOrigin = -4194304.0f;
constexpr float kInfiniteSize = 8388608.0f;

// Regions that need rendering to be measured are drawn at most this many
// pixels on their longer side.
constexpr int kMeasureResolution = 2048;

GraphicsPath RectPath(const RectF& r) {
  GraphicsPath p;
  p.AddRectangle(r);
  return p;
}

}  // namespace

Region::Region(const RectF& rect) {
  if (rect.IsEmptyArea()) {
    MakeEmpty();
    return;
  }
  m_hasBox = true;
  m_box = rect;
}

Region::Region(const Rect& rect) : Region(RectF(float(rect.X), float(rect.Y), float(rect.Width), float(rect.Height))) {}

Region::Region(const GraphicsPath* path) {
  if (!path || path->IsEmpty()) {
    MakeEmpty();
    return;
  }
  m_steps.push_back({false, *path});
}

Status Region::MakeInfinite() {
  m_empty = false;
  m_hasBox = false;
  m_steps.clear();
  return Ok;
}

Status Region::MakeEmpty() {
  m_empty = true;
  m_hasBox = false;
  m_steps.clear();
  return Ok;
}

Status Region::Intersect(const RectF& rect) {
  if (m_empty) return Ok;
  if (rect.IsEmptyArea()) return MakeEmpty();
  if (!m_hasBox) {
    m_hasBox = true;
    m_box = rect;
    return Ok;
  }
  if (!RectF::Intersect(m_box, m_box, rect) || m_box.IsEmptyArea()) return MakeEmpty();
  return Ok;
}

void Region::BoxToStep() {
  if (!m_hasBox) return;
  m_steps.insert(m_steps.begin(), {false, RectPath(m_box)});
  m_hasBox = false;
}

Status Region::Intersect(const GraphicsPath* path) {
  if (!path) return InvalidParameter;
  if (m_empty) return Ok;
  if (path->IsEmpty()) return MakeEmpty();
  m_steps.push_back({false, *path});
  return Ok;
}

Status Region::Intersect(const Region* region) {
  if (!region) return InvalidParameter;
  if (m_empty) return Ok;
  if (region->m_empty) return MakeEmpty();
  // Both are chains of narrowing steps, so their intersection is the chain
  // of all steps.
  const std::vector<Step> steps = region->m_steps;
  if (region->m_hasBox) Intersect(region->m_box);
  if (m_empty) return Ok;
  m_steps.insert(m_steps.end(), steps.begin(), steps.end());
  return Ok;
}

Status Region::Exclude(const RectF& rect) {
  if (m_empty || rect.IsEmptyArea()) return Ok;
  m_steps.push_back({true, RectPath(rect)});
  return Ok;
}

Status Region::Exclude(const GraphicsPath* path) {
  if (!path) return InvalidParameter;
  if (m_empty || path->IsEmpty()) return Ok;
  m_steps.push_back({true, *path});
  return Ok;
}

Status Region::Exclude(const Region* region) {
  if (!region) return InvalidParameter;
  if (m_empty || region->m_empty) return Ok;
  if (region->IsInfinite()) return MakeEmpty();
  if (region->m_hasBox && region->m_steps.empty()) {
    m_steps.push_back({true, RectPath(region->m_box)});
    return Ok;
  }
  if (region->m_hasBox || region->m_steps.size() != 1 || region->m_steps[0].exclude) return NotImplemented;
  m_steps.push_back({true, region->m_steps[0].path});
  return Ok;
}

Status Region::Translate(float dx, float dy) {
  Matrix m;
  m.Translate(dx, dy);
  return Transform(&m);
}

Status Region::Transform(const Matrix* matrix) {
  if (!matrix) return InvalidParameter;
  if (m_hasBox) {
    // An upright box stays one under moving and scaling; any other
    // transform makes it an outline like the rest.
    if (matrix->M12() == 0.0f && matrix->M21() == 0.0f && matrix->M11() != 0.0f && matrix->M22() != 0.0f)
      m_box = TransformedBounds(*matrix, m_box);
    else
      BoxToStep();
  }
  for (Step& s : m_steps) s.path.Transform(matrix);
  return Ok;
}

bool Region::IsVisible(const PointF& point) const {
  if (m_empty) return false;
  if (m_hasBox && !m_box.Contains(point)) return false;
  for (const Step& s : m_steps)
    if (s.path.IsVisible(point) == s.exclude) return false;
  return true;
}

Status Region::GetBounds(RectF* bounds) const {
  if (!bounds) return InvalidParameter;
  *bounds = RectF();
  if (m_empty) return Ok;
  // The area lies within every outline it was intersected with.
  bool haveLimit = m_hasBox;
  RectF limit = m_box;
  for (const Step& s : m_steps) {
    if (s.exclude) continue;
    RectF b;
    s.path.GetBounds(&b);
    if (!haveLimit) {
      limit = b;
      haveLimit = true;
    } else if (!RectF::Intersect(limit, limit, b)) {
      return Ok;
    }
  }
  if (!haveLimit) {
    *bounds = RectF(kInfiniteOrigin, kInfiniteOrigin, kInfiniteSize, kInfiniteSize);
    return Ok;
  }
  if (m_steps.size() + (m_hasBox ? 1 : 0) == 1) {
    *bounds = limit;
    return Ok;
  }
  if (limit.Width <= 0 || limit.Height <= 0) return Ok;

  // Render the region over its limit and find the covered pixels.
  const double scale = std::min(1.0, kMeasureResolution / double(std::max(limit.Width, limit.Height)));
  const int w = std::max(1, int(std::ceil(limit.Width * scale)) + 2);
  const int h = std::max(1, int(std::ceil(limit.Height * scale)) + 2);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    *bounds = limit;
    return OutOfMemory;
  }
  cairo_t* cr = cairo_create(surface);
  cairo_translate(cr, 1, 1);
  cairo_scale(cr, scale, scale);
  cairo_translate(cr, -limit.X, -limit.Y);
  ClipToRegion(cr, *this);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  int minX = w, minY = h, maxX = -1, maxY = -1;
  for (int y = 0; y < h; ++y) {
    const unsigned char* row = data + y * stride;
    for (int x = 0; x < w; ++x) {
      if (!row[x]) continue;
      minX = std::min(minX, x);
      maxX = std::max(maxX, x);
      minY = std::min(minY, y);
      maxY = std::max(maxY, y);
    }
  }
  cairo_surface_destroy(surface);
  if (maxX < 0) return Ok;
  // Covered cells, mapped back and kept within the limit.
  RectF found(float(limit.X + (minX - 1) / scale), float(limit.Y + (minY - 1) / scale),
              float((maxX - minX + 1) / scale), float((maxY - minY + 1) / scale));
  RectF::Intersect(*bounds, found, limit);
  return Ok;
}

bool Region::IsEmpty() const {
  if (m_empty) return true;
  if (m_steps.empty()) return false;  // the box alone is never empty
  RectF b;
  GetBounds(&b);
  return b.IsEmptyArea();
}

}  // namespace Gdiplus
