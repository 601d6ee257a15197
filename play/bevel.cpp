// The bevel drawn along every cut before the pieces are cut out: a soft
// light line and a soft dark one, drawn in bands of rows that threads share
// between them. The lines are laid pixel by pixel from their distance to
// the cut: a general stroke of thousands of short lines costs ten times as
// much for the same soft line.

#include "play/bevel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>
#include <thread>
#include <vector>

#include "data/cutter.h"

namespace {

constexpr ARGB kLightBevel = 0x33FFFFFF;
constexpr float kLightBevelWidth = 2.5f;
constexpr ARGB kDarkBevel = 0x40000000;
constexpr float kDarkBevelWidth = 3.5f;

// The edge's polyline without the points that lie closer than a fraction
// of a pixel to the last one kept: the cutter flattens its curves finely
// enough to cut pixels exactly, far more finely than a soft line of two or
// three pixels needs, and every point costs.
void Thin(const std::vector<PointF>& in, std::vector<PointF>& out) {
  constexpr float kMinStep = 3.0f;
  out.clear();
  out.push_back(in.front());
  for (std::size_t i = 1; i + 1 < in.size(); ++i) {
    const float dx = in[i].X - out.back().X, dy = in[i].Y - out.back().Y;
    if (dx * dx + dy * dy >= kMinStep * kMinStep) out.push_back(in[i]);
  }
  out.push_back(in.back());
}

// A light line below and right of every cut and a dark one above and left
// of it: each piece shows a raised edge. Widths and shifts are in the cut's
// own units, so they scale with the puzzle.
struct BevelLine {
  ARGB colour;
  float width;
  float shift;
};
constexpr BevelLine kBevelLines[] = {{kLightBevel, kLightBevelWidth, 2.0f}, {kDarkBevel, kDarkBevelWidth, -1.0f}};

// The cut outline: every edge's polyline, thinned.
std::vector<std::vector<PointF>> BevelPolylines(const std::vector<CutterEdgePtr>& edges) {
  std::vector<std::vector<PointF>> polylines;
  polylines.reserve(edges.size());
  for (const CutterEdgePtr& edge : edges) {
    const std::vector<PointF>& polyline = edge->GetPolyline();
    if (polyline.size() < 2) continue;
    polylines.emplace_back();
    Thin(polyline, polylines.back());
  }
  return polylines;
}

// Marks in `coverage` (one byte a pixel of the band, 255 = covered) how much
// of each pixel the line of halfWidth about the segment a-b covers: a pixel
// whose centre lies d from the segment is covered by halfWidth + 1/2 - d,
// within 0 and 1, so the line has round ends and a one-pixel soft edge.
// Where lines cross, a pixel keeps the most any of them covers, so the
// soft colour is laid on once.
void CoverSegment(std::vector<std::uint8_t>& coverage, int width, int rows, PointF a, PointF b, float halfWidth) {
  const float reach = halfWidth + 0.5f;
  const int left = std::max(0, static_cast<int>(std::floor(std::min(a.X, b.X) - reach)));
  const int right = std::min(width - 1, static_cast<int>(std::ceil(std::max(a.X, b.X) + reach)));
  const int top = std::max(0, static_cast<int>(std::floor(std::min(a.Y, b.Y) - reach)));
  const int bottom = std::min(rows - 1, static_cast<int>(std::ceil(std::max(a.Y, b.Y) + reach)));
  if (left > right || top > bottom) return;
  const float dx = b.X - a.X, dy = b.Y - a.Y;
  const float length2 = dx * dx + dy * dy;
  const float inverse = length2 > 0.0f ? 1.0f / length2 : 0.0f;
  const float reach2 = reach * reach;
  for (int y = top; y <= bottom; ++y) {
    const float py = static_cast<float>(y) + 0.5f - a.Y;
    std::uint8_t* row = coverage.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    // Without branches, so that the compiler can work on several pixels at
    // once.
    for (int x = left; x <= right; ++x) {
      const float px = static_cast<float>(x) + 0.5f - a.X;
      const float t = std::clamp((px * dx + py * dy) * inverse, 0.0f, 1.0f);
      const float ex = px - t * dx, ey = py - t * dy;
      const float distance2 = std::min(ex * ex + ey * ey, reach2);
      const float cover = std::min(reach - std::sqrt(distance2), 1.0f);
      const auto value = static_cast<std::uint8_t>(cover * 255.0f + 0.5f);
      row[x] = std::max(row[x], value);
    }
  }
}

// Lays colour over the band where coverage says, source over.
void BlendCoverage(Gdiplus::Bitmap& band, const std::vector<std::uint8_t>& coverage, ARGB colour) {
  const bool hasAlpha = band.GetPixelFormat() != PixelFormat::Format24bppRGB;
  const float alpha = static_cast<float>(colour >> 24) / 255.0f;
  const float red = static_cast<float>((colour >> 16) & 0xFF), green = static_cast<float>((colour >> 8) & 0xFF),
              blue = static_cast<float>(colour & 0xFF);
  const int width = band.GetWidth();
  for (int y = 0; y < band.GetHeight(); ++y) {
    std::uint32_t* row = band.GetRow(y);
    const std::uint8_t* cover = coverage.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    for (int x = 0; x < width; ++x) {
      if (!cover[x]) continue;
      const float a = alpha * static_cast<float>(cover[x]) / 255.0f, keep = 1.0f - a;
      const std::uint32_t p = row[x];
      auto mix = [&](int shiftBits, float source) {
        const float d = static_cast<float>((p >> shiftBits) & 0xFF);
        return static_cast<std::uint32_t>(source * a + d * keep + 0.5f) << shiftBits;
      };
      const std::uint32_t out = mix(16, red) | mix(8, green) | mix(0, blue);
      row[x] = out | (hasAlpha ? mix(24, 255.0f) : (p & 0xFF000000u));
    }
  }
}

// Draws the bevel on `band`, which shows the rows from `top` down of the
// picture being bevelled. Every pixel is worked out from the outline alone,
// so the bands together are exactly the picture bevelled whole.
void BevelBand(Gdiplus::Bitmap& band, int top, float scale, const std::vector<std::vector<PointF>>& polylines) {
  const int width = band.GetWidth(), rows = band.GetHeight();
  std::vector<std::uint8_t> coverage(static_cast<std::size_t>(width) * static_cast<std::size_t>(rows));
  for (const BevelLine& line : kBevelLines) {
    std::fill(coverage.begin(), coverage.end(), std::uint8_t{0});
    const float halfWidth = 0.5f * line.width * scale;
    const float bandTop = static_cast<float>(top);
    auto place = [&](const PointF& p) {
      return PointF((p.X + line.shift) * scale, (p.Y + line.shift) * scale - bandTop);
    };
    for (const std::vector<PointF>& points : polylines) {
      PointF previous = place(points.front());
      for (std::size_t i = 1; i < points.size(); ++i) {
        const PointF next = place(points[i]);
        CoverSegment(coverage, width, rows, previous, next, halfWidth);
        previous = next;
      }
    }
    BlendCoverage(band, coverage, line.colour);
  }
}

// Rows per band below which a thread of its own does not pay.
constexpr int kMinBandRows = 256;
constexpr int kMaxBevelThreads = 4;

}  // namespace

int BevelThreadCount(int height) {
  return std::clamp(std::min(static_cast<int>(std::thread::hardware_concurrency()), height / kMinBandRows), 1,
                    kMaxBevelThreads);
}

std::unique_ptr<Gdiplus::Bitmap> MakeBevelledPicture(const Gdiplus::Bitmap& cutImage, const CPuzzleCutter& cutter,
                                                     float scale, int bands) {
  std::unique_ptr<Gdiplus::Bitmap> copy = cutImage.Clone();
  if (!copy) return copy;
  // The edges are read here, before any thread starts: they work out their
  // outlines when first asked.
  const std::vector<std::vector<PointF>> polylines = BevelPolylines(cutter.GetCutEdges());
  // Thousands of soft lines are a large part of opening a big puzzle, and
  // they split cleanly into bands of rows.
  const int height = copy->GetHeight();
  bands = std::clamp(bands, 1, height);
  std::vector<std::unique_ptr<Gdiplus::Bitmap>> views;
  std::vector<int> tops;
  for (int b = 0; b < bands; ++b) {
    const int top = height * b / bands, bottom = height * (b + 1) / bands;
    std::unique_ptr<Gdiplus::Bitmap> view = copy->ViewOfRows(top, bottom - top);
    if (!view) return copy;
    views.push_back(std::move(view));
    tops.push_back(top);
  }
  std::vector<std::thread> workers;
  for (int b = 1; b < bands; ++b) {
    Gdiplus::Bitmap& view = *views[static_cast<std::size_t>(b)];
    const int top = tops[static_cast<std::size_t>(b)];
    try {
      workers.emplace_back([&view, top, scale, &polylines] { BevelBand(view, top, scale, polylines); });
    } catch (const std::system_error&) {
      // No thread to be had: the band is drawn here instead.
      BevelBand(view, top, scale, polylines);
    }
  }
  BevelBand(*views.front(), 0, scale, polylines);
  for (std::thread& worker : workers) worker.join();
  views.clear();
  copy->MarkDirty();
  return copy;
}

