// The bevel drawn along every cut before the pieces are cut out: a soft
// light line and a soft dark one, stroked in bands of rows that threads
// share between them.

#include "play/bevel.h"

#include <algorithm>
#include <limits>
#include <system_error>
#include <thread>
#include <vector>

#include "data/cutter.h"
#include "platform/graphics.h"
#include "platform/pen.h"

namespace {

constexpr ARGB kLightBevel = 0x33FFFFFF;
constexpr float kLightBevelWidth = 2.5f;
constexpr ARGB kDarkBevel = 0x40000000;
constexpr float kDarkBevelWidth = 3.5f;
constexpr std::size_t kEdgesPerStroke = 48;
// The pens' own mitre limit, named because it bounds how far a line reaches.
constexpr float kBevelMiterLimit = 10.0f;

// The edge's polyline without the points that lie closer than a fraction
// of a pixel to the last one kept: the cutter flattens its curves finely
// enough to cut pixels exactly, far more finely than a soft line of two or
// three pixels needs, and stroking cost grows with every point.
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
// of it: each piece shows a raised edge. The shifts are in the cut's own
// units, so they scale with the puzzle.
struct BevelLine {
  ARGB colour;
  float width;
  float shift;
};
constexpr BevelLine kBevelLines[] = {{kLightBevel, kLightBevelWidth, 2.0f}, {kDarkBevel, kDarkBevelWidth, -1.0f}};

// The edges are stroked a few dozen at a time: one stroke of the whole
// outline makes the drawing library work on a single enormous polygon, and
// a stroke per edge pays its fixed cost thousands of times. Where two
// edges of one batch overlap (at the grid points) they are blended once,
// where they belong to different batches twice, so the batches are part of
// the look and every band below forms exactly the same ones.
struct BevelBatch {
  std::vector<std::vector<PointF>> polylines;
  float top = std::numeric_limits<float>::max();
  float bottom = std::numeric_limits<float>::lowest();
};

std::vector<BevelBatch> MakeBevelBatches(const std::vector<CutterEdgePtr>& edges) {
  std::vector<BevelBatch> batches;
  std::vector<PointF> thinned;
  for (const CutterEdgePtr& edge : edges) {
    const std::vector<PointF>& polyline = edge->GetPolyline();
    if (polyline.size() < 2) continue;
    if (batches.empty() || batches.back().polylines.size() == kEdgesPerStroke) batches.emplace_back();
    BevelBatch& batch = batches.back();
    Thin(polyline, thinned);
    for (const PointF& p : thinned) {
      batch.top = std::min(batch.top, p.Y);
      batch.bottom = std::max(batch.bottom, p.Y);
    }
    batch.polylines.push_back(thinned);
  }
  return batches;
}

// Strokes the batches that reach the band: `band` shows the rows from `top`
// down of the picture being bevelled. The drawing library rasterises each
// pixel row the same whether the rest of the picture is there or not, so
// the bands together are exactly the picture stroked whole.
void StrokeBevelBand(Gdiplus::Bitmap& band, int top, float scale, const std::vector<BevelBatch>& batches) {
  Gdiplus::Graphics g(&band);
  if (!g.IsValid()) return;
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  const float bandTop = static_cast<float>(top), bandBottom = static_cast<float>(top + band.GetHeight());
  for (const BevelLine& line : kBevelLines) {
    Gdiplus::Pen pen(Gdiplus::Color(line.colour), line.width);
    pen.SetMiterLimit(kBevelMiterLimit);
    g.ResetTransform();
    g.TranslateTransform(0.0f, -bandTop);
    g.ScaleTransform(scale, scale);
    g.TranslateTransform(line.shift, line.shift);
    // A line reaches no further from its points than its longest mitre
    // (half its width times the mitre limit), plus a pixel of soft edge.
    const float reach = 0.5f * line.width * kBevelMiterLimit;
    for (const BevelBatch& batch : batches) {
      if ((batch.bottom + line.shift + reach) * scale + 2.0f < bandTop ||
          (batch.top + line.shift - reach) * scale - 2.0f > bandBottom)
        continue;
      Gdiplus::GraphicsPath path;
      for (const std::vector<PointF>& points : batch.polylines) {
        path.StartFigure();
        path.AddLines(points.data(), static_cast<int>(points.size()));
      }
      g.DrawPath(&pen, &path);
    }
  }
  g.Flush();
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
  const std::vector<BevelBatch> batches = MakeBevelBatches(cutter.GetCutEdges());
  // Stroking thousands of soft lines is the largest part of opening a big
  // puzzle, and it splits cleanly into bands of rows.
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
      workers.emplace_back([&view, top, scale, &batches] { StrokeBevelBand(view, top, scale, batches); });
    } catch (const std::system_error&) {
      // No thread to be had: the band is stroked here instead.
      StrokeBevelBand(view, top, scale, batches);
    }
  }
  StrokeBevelBand(*views.front(), 0, scale, batches);
  for (std::thread& worker : workers) worker.join();
  views.clear();
  copy->MarkDirty();
  return copy;
}

