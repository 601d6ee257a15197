// Large linear-gradient fills through a colour table.
//
// The drawing library works out a gradient's colour afresh for every pixel,
// which for a window-sized background costs about as much as a dozen plain
// copies of it. A gradient's colour depends only on how far along its axis a
// pixel lies, and that distance grows by the same step from one pixel to the
// next, so the colours are taken from a table (itself drawn by the library,
// so stops and colours stay exactly its own) into a picture of the filled
// area, which is then the source of an ordinary fill.

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/graphics.h"

namespace Gdiplus {

namespace {

// Table entries along one period of the gradient: finer than 8-bit colours
// can show over any gradient a screen holds.
constexpr int kTableSize = 4096;
// Smaller fills gain too little to be worth a table.
constexpr double kMinTablePixels = 65536.0;

// The colour table: entry i holds the gradient at (i + 0.5) / kTableSize.
bool FillTable(cairo_pattern_t* gradient, std::uint32_t* table) {
  int stops = 0;
  if (cairo_pattern_get_color_stop_count(gradient, &stops) != CAIRO_STATUS_SUCCESS || stops == 0) return false;
  cairo_surface_t* strip = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kTableSize, 1);
  cairo_pattern_t* along = cairo_pattern_create_linear(0, 0, kTableSize, 0);
  for (int i = 0; i < stops; ++i) {
    double offset, r, g, b, a;
    cairo_pattern_get_color_stop_rgba(gradient, i, &offset, &r, &g, &b, &a);
    cairo_pattern_add_color_stop_rgba(along, offset, r, g, b, a);
  }
  cairo_pattern_set_extend(along, CAIRO_EXTEND_PAD);
  cairo_t* cr = cairo_create(strip);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source(cr, along);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_pattern_destroy(along);
  cairo_surface_flush(strip);
  const bool ok = cairo_surface_status(strip) == CAIRO_STATUS_SUCCESS;
  if (ok) std::copy_n(reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(strip)), kTableSize, table);
  cairo_surface_destroy(strip);
  return ok;
}

}  // namespace

bool Graphics::FillCurrentPathFromTable(cairo_pattern_t* gradient) {
  if (cairo_pattern_get_type(gradient) != CAIRO_PATTERN_TYPE_LINEAR) return false;
  const cairo_extend_t extend = cairo_pattern_get_extend(gradient);
  double gx0, gy0, gx1, gy1;
  cairo_pattern_get_linear_points(gradient, &gx0, &gy0, &gx1, &gy1);
  const double axisX = gx1 - gx0, axisY = gy1 - gy0, length2 = axisX * axisX + axisY * axisY;
  if (length2 < 1e-12) return false;

  // The device box to colour: the path's box within the clip and target.
  cairo_matrix_t ctm;
  cairo_get_matrix(m_cr, &ctm);
  double ux1, uy1, ux2, uy2;
  cairo_fill_extents(m_cr, &ux1, &uy1, &ux2, &uy2);
  double xs[4] = {ux1, ux2, ux2, ux1}, ys[4] = {uy1, uy1, uy2, uy2};
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  for (int i = 0; i < 4; ++i) {
    cairo_user_to_device(m_cr, &xs[i], &ys[i]);
    minX = std::min(minX, xs[i]), maxX = std::max(maxX, xs[i]);
    minY = std::min(minY, ys[i]), maxY = std::max(maxY, ys[i]);
  }
  cairo_identity_matrix(m_cr);
  double cx1, cy1, cx2, cy2;
  cairo_clip_extents(m_cr, &cx1, &cy1, &cx2, &cy2);
  cairo_set_matrix(m_cr, &ctm);
  // Coordinates are brought within the target's reach before they become
  // whole numbers, so a huge path cannot overflow them.
  auto whole = [](double v) { return static_cast<int>(std::clamp(v, -1e8, 1e8)); };
  const int left = std::max({0, whole(std::floor(minX)) - 1, whole(std::floor(cx1))});
  const int top = std::max({0, whole(std::floor(minY)) - 1, whole(std::floor(cy1))});
  const int right = std::min({m_width, whole(std::ceil(maxX)) + 1, whole(std::ceil(cx2))});
  const int bottom = std::min({m_height, whole(std::ceil(maxY)) + 1, whole(std::ceil(cy2))});
  if (right <= left || bottom <= top) return false;
  const int w = right - left, h = bottom - top;
  if (static_cast<double>(w) * h < kMinTablePixels) return false;

  // Device pixel centre → gradient space: the inverse of the transform, then
  // the pattern's own matrix. The position along the axis is affine in the
  // pixel, so three samples give its steps.
  cairo_matrix_t toUser = ctm;
  if (cairo_matrix_invert(&toUser) != CAIRO_STATUS_SUCCESS) return false;
  cairo_matrix_t toGradient;
  cairo_pattern_get_matrix(gradient, &toGradient);
  cairo_matrix_t deviceToGradient;
  cairo_matrix_multiply(&deviceToGradient, &toUser, &toGradient);
  auto along = [&](double x, double y) {
    cairo_matrix_transform_point(&deviceToGradient, &x, &y);
    return ((x - gx0) * axisX + (y - gy0) * axisY) / length2;
  };
  const double origin = along(left + 0.5, top + 0.5);
  const double stepX = along(left + 1.5, top + 0.5) - origin;
  const double stepY = along(left + 0.5, top + 1.5) - origin;

  std::uint32_t table[kTableSize];
  if (!FillTable(gradient, table)) return false;
  cairo_surface_t* colours = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  if (cairo_surface_status(colours) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(colours);
    return false;
  }
  cairo_surface_flush(colours);
  std::uint8_t* data = cairo_image_surface_get_data(colours);
  const int stride = cairo_image_surface_get_stride(colours);
  // Positions in 1/65536ths of a table entry, so a row is integer additions.
  constexpr double kFixed = 65536.0 * kTableSize;
  const auto step = static_cast<std::int64_t>(std::llround(stepX * kFixed));
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    std::int64_t at = std::llround((origin + stepY * y) * kFixed);
    for (int x = 0; x < w; ++x, at += step) {
      const std::int64_t entry = at >> 16;
      switch (extend) {
        case CAIRO_EXTEND_REPEAT: row[x] = table[entry & (kTableSize - 1)]; break;
        case CAIRO_EXTEND_REFLECT: {
          const std::int64_t k = entry & (2 * kTableSize - 1);
          row[x] = table[k < kTableSize ? k : 2 * kTableSize - 1 - k];
          break;
        }
        case CAIRO_EXTEND_PAD: row[x] = table[std::clamp<std::int64_t>(entry, 0, kTableSize - 1)]; break;
        default: row[x] = entry >= 0 && entry < kTableSize ? table[entry] : 0u; break;
      }
    }
  }
  cairo_surface_mark_dirty(colours);

  // The picture sits at its device place whatever the transform.
  cairo_pattern_t* source = cairo_pattern_create_for_surface(colours);
  cairo_matrix_t place = ctm;
  place.x0 -= left;
  place.y0 -= top;
  cairo_pattern_set_matrix(source, &place);
  cairo_pattern_set_filter(source, CAIRO_FILTER_NEAREST);
  cairo_pattern_set_extend(source, CAIRO_EXTEND_PAD);
  cairo_set_source(m_cr, source);
  cairo_pattern_destroy(source);
  cairo_surface_destroy(colours);
  cairo_fill(m_cr);
  return true;
}

}  // namespace Gdiplus
