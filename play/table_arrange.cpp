// Rows, edge order and colour order for the play room's tools.

#include "play/table_arrange.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace table_arrange {

std::vector<PointF> LayRows(const std::vector<SizeF>& sizes, const RectF& area, float gap,
                            const std::vector<RectF>& keepOut, float* usedHeight) {
  std::vector<PointF> places;
  places.reserve(sizes.size());
  float x = area.X, y = area.Y, rowHeight = 0.0f;
  for (const SizeF& size : sizes) {
    // Each rectangle passed sends the box further right, or to the next
    // row; a few rounds settle it.
    for (std::size_t attempt = 0; attempt < 4 * keepOut.size() + 2; ++attempt) {
      // Past the right side: the next row, unless the row is still empty
      // (a box wider than the area gets a row of its own).
      if (x > area.X && x + size.Width > area.X + area.Width) {
        x = area.X;
        y += rowHeight + gap;
        rowHeight = 0.0f;
      }
      const RectF* crossed = nullptr;
      for (const RectF& r : keepOut)
        if (r.Width > 0.0f && r.Height > 0.0f && x < r.X + r.Width && x + size.Width > r.X && y < r.Y + r.Height &&
            y + size.Height > r.Y)
          crossed = &r;
      if (!crossed) break;
      x = crossed->X + crossed->Width + gap;
      if (x + size.Width > area.X + area.Width && rowHeight == 0.0f) {
        // Nothing fits beside it in an empty row: the row starts below it.
        x = area.X;
        y = crossed->Y + crossed->Height + gap;
      }
    }
    places.emplace_back(x, y);
    x += size.Width + gap;
    rowHeight = std::max(rowHeight, size.Height);
  }
  if (usedHeight) *usedHeight = places.empty() ? 0.0f : y + rowHeight - area.Y;
  return places;
}

long EdgeRank(int c, int r, int columns, int rows) {
  const int right = columns - 1, bottom = rows - 1;
  if (c < 0 || r < 0 || c > right || r > bottom) return -1;
  if (c == 0 && r == 0) return 0;
  if (c == right && r == 0) return 1;
  if (c == right && r == bottom) return 2;
  if (c == 0 && r == bottom) return 3;
  const long top = 4, rightSide = top + columns, bottomSide = rightSide + rows, leftSide = bottomSide + columns;
  if (r == 0) return top + c;
  if (c == right) return rightSide + r;
  if (r == bottom) return bottomSide + (right - c);
  if (c == 0) return leftSide + (bottom - r);
  return -1;
}

float ColourKey(const Gdiplus::Bitmap& picture) {
  const int w = picture.GetWidth(), h = picture.GetHeight();
  if (w <= 0 || h <= 0) return 0.0f;
  // Every few pixels are enough for a mean, and keep the cost of ten
  // thousand pieces within a frame or two.
  const int step = std::max(1, std::min(w, h) / 12);
  double red = 0.0, green = 0.0, blue = 0.0, weight = 0.0;
  for (int y = 0; y < h; y += step) {
    const std::uint32_t* row = picture.GetRow(y);
    for (int x = 0; x < w; x += step) {
      const std::uint32_t argb = row[x];
      const double a = static_cast<double>(argb >> 24);
      if (a < 128.0) continue;
      // Premultiplied: the colour divided by the alpha.
      red += static_cast<double>((argb >> 16) & 0xFF) * 255.0 / a;
      green += static_cast<double>((argb >> 8) & 0xFF) * 255.0 / a;
      blue += static_cast<double>(argb & 0xFF) * 255.0 / a;
      weight += 1.0;
    }
  }
  if (weight == 0.0) return 13.0f;
  const double r = red / weight / 255.0, g = green / weight / 255.0, b = blue / weight / 255.0;
  const double high = std::max({r, g, b}), low = std::min({r, g, b});
  const double lightness = (high + low) / 2.0;
  const double chroma = high - low;
  constexpr double kGreyChroma = 0.08;
  double band = 12.0;
  if (chroma >= kGreyChroma) {
    double hue = 0.0;
    if (high == r) hue = std::fmod((g - b) / chroma + 6.0, 6.0);
    else if (high == g) hue = (b - r) / chroma + 2.0;
    else hue = (r - g) / chroma + 4.0;
    band = std::floor(hue * 2.0);  // twelve bands of 30 degrees
  }
  return static_cast<float>(band + std::clamp(lightness, 0.0, 0.999));
}

}  // namespace table_arrange
