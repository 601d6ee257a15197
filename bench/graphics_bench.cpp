// Hot paths of the graphics facade: filling a piece outline, drawing a small
// picture and drawing a label, beside a floor (copying the same pixels).
#include <benchmark/benchmark.h>

#include <cstdio>

#include <cstring>
#include <vector>

#include "data/cutter.h"
#include "platform/graphics.h"
#include "platform/outlined_fill.h"
#include "platform/pen.h"
#include "platform/brush.h"

namespace {

// The cutter's "Classic" edge, placed on one side of the piece.
void AddKnobEdge(GraphicsPath* p, const Matrix& place) {
  GraphicsPath edge = CPuzzleCutter::GetShape(6).second;
  edge.Transform(place);
  p->AddPath(&edge, true);
}

// An 80 × 80 piece with a knob or socket on every side.
GraphicsPath PieceOutline() {
  GraphicsPath p;
  for (int side = 0; side < 4; ++side) {
    Matrix m;
    m.Translate(10, 10);
    m.RotateAt(90.0f * side, PointF(40, 40));
    m.Scale(0.8f, side % 2 ? 0.8f : -0.8f);
    AddKnobEdge(&p, m);
  }
  p.CloseFigure();
  return p;
}

// Floor: copying the 100 × 100 ARGB pixels the piece is drawn into.
void BM_GraphicsFloor_Copy100x100(benchmark::State& state) {
  std::vector<std::uint32_t> a(100 * 100, 0xFF102030), b(100 * 100);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size() * 4);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_GraphicsFloor_Copy100x100);

// Piece rendering and the canvas redraw fill outlines like this one per piece.
void BM_FillPath_Piece(benchmark::State& state) {
  Bitmap bmp(100, 100, PixelFormat::Format32bppARGB);
  Graphics g(&bmp);
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  SolidBrush brush(0xFF806040);
  const GraphicsPath piece = PieceOutline();
  for (auto _ : state) {
    g.FillPath(&brush, &piece);
    g.Flush();
  }
}
BENCHMARK(BM_FillPath_Piece);

// Small pictures (thumbnails, icons, piece bitmaps) drawn 1:1.
void BM_DrawImage40x40(benchmark::State& state) {
  Bitmap src(40, 40, PixelFormat::Format32bppARGB);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) src.SetPixel(x, y, 0x80FF8040);
  Bitmap bmp(100, 100, PixelFormat::Format32bppARGB);
  Graphics g(&bmp);
  for (auto _ : state) {
    g.DrawImage(&src, PointF(30, 30));
    g.Flush();
  }
}
BENCHMARK(BM_DrawImage40x40);

// Button captions and labels are laid out and drawn on every repaint.
void BM_DrawString(benchmark::State& state) {
  Bitmap bmp(200, 40, PixelFormat::Format32bppARGB);
  Graphics g(&bmp);
  const Font font("Microsoft Sans Serif", 10);
  StringFormat format;
  format.SetAlignment(Gdiplus::StringAlignmentCenter);
  format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
  format.SetHotkeyPrefix(Gdiplus::HotkeyPrefixShow);
  SolidBrush black(0xFF000000);
  for (auto _ : state) {
    g.DrawString("&New puzzle", &font, RectF(0, 0, 200, 40), &format, &black);
    g.Flush();
  }
}
BENCHMARK(BM_DrawString);

// The outline of a text never laid out before, as the play room's clock
// needs one every second and the store room one for each of its labels.
void BM_AddStringNewText(benchmark::State& state) {
  const FontFamily family("Arial");
  StringFormat format;
  int second = 0;
  for (auto _ : state) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", second / 3600, second / 60 % 60, second % 60);
    ++second;
    GraphicsPath path;
    path.AddString(text, &family, FontStyleBold, 29.0f, RectF(), &format);
    benchmark::DoNotOptimize(path.GetPointCount());
  }
}
BENCHMARK(BM_AddStringNewText);

// A thumbnail's label (a white text with a one-unit dark outline) painted
// into its own picture, as the store room's first frame does for each
// label it shows: by the library's fill and stroke (0), and from the
// distance to the outline (1).
void BM_LabelPicture(benchmark::State& state) {
  const FontFamily family("Arial");
  StringFormat format;
  GraphicsPath path;
  path.AddString("1038 78%", &family, FontStyleBold, 26.0f, PointF(2.3f, 2.6f), &format);
  const SolidBrush white(Color(0xFFFFFFFFu));
  const Pen outline(Color(0x88000000u), 1.0f);
  const ARGB fills[] = {0xFFFFFFFFu};
  const Gdiplus::OutlinePen pens[] = {{0x88000000u, 1.0}};
  const Matrix identity;
  for (auto _ : state) {
    Bitmap picture(130, 36, PixelFormat::Format32bppARGB);
    if (state.range(0) == 0) {
      Graphics g(&picture);
      g.SetSmoothingMode(SmoothingModeAntiAlias);
      g.FillPath(&white, &path);
      g.DrawPath(&outline, &path);
      g.Flush();
    } else {
      Gdiplus::PaintOutlinedFill(picture, identity, path, fills, pens);
    }
    benchmark::DoNotOptimize(picture.GetData());
  }
}
BENCHMARK(BM_LabelPicture)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
