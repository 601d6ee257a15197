// Hot paths of the canvas: painting a full-screen puzzle of 1296 pieces,
// repainting a small invalid rectangle of it, and finding the piece under
// the pointer. The floor beside them is BM_Floor_Memcpy1080p (copying one
// full frame of pixels).
//
// Budgets: BM_PaintFull1296 under 12 ms; BM_PaintRect200 under 1 ms;
// BM_HitTest1296 under 20 us. On a screen of twice the density (3840 x 2160
// device pixels, pieces cut from a picture of twice the pixels),
// BM_PaintFull1296Scale2 under 30 ms.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "canvas/items.h"
#include "platform/graphics.h"

namespace {

constexpr int kColumns = 48, kRows = 27, kCell = 40, kMargin = 8;
constexpr int kFrameWidth = 1920, kFrameHeight = 1080;

// A piece picture: a 40 × 40 body with a round knob on its right and lower
// sides, on a transparent margin, as the cutter hands them out; `scale`
// pixels a unit.
std::shared_ptr<Gdiplus::Bitmap> PiecePicture(ARGB colour, int scale) {
  const int side = kCell + 2 * kMargin;
  auto bitmap = std::make_shared<Gdiplus::Bitmap>(side * scale, side * scale, PixelFormat::Format32bppARGB);
  bitmap->SetResolution(Gdiplus::Bitmap::kUnitResolution * scale, Gdiplus::Bitmap::kUnitResolution * scale);
  Gdiplus::Graphics g(bitmap.get());
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  g.ScaleTransform(static_cast<float>(scale), static_cast<float>(scale));
  Gdiplus::GraphicsPath outline(FillModeWinding);
  outline.AddRectangle(RectF(kMargin, kMargin, kCell, kCell));
  outline.AddEllipse(RectF(kMargin + kCell - 4, kMargin + 14, 12, 12));
  outline.AddEllipse(RectF(kMargin + 14, kMargin + kCell - 4, 12, 12));
  Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
  g.FillPath(&brush, &outline);
  return bitmap;
}

struct PuzzleScene {
  int scale;
  CRSCanvasItem root{PointF(), nullptr, "root"};
  Gdiplus::Bitmap frame{kFrameWidth * scale, kFrameHeight * scale, PixelFormat::Format24bppRGB};
  Gdiplus::Graphics g{&frame};

  explicit PuzzleScene(int deviceScale = 1) : scale(deviceScale) {
    root.SetSize(SizeF(kFrameWidth, kFrameHeight));
    // The window places its root a little off the pixel grid.
    root.MoveTopLeftTo(PointF(-0.4f, -0.4f));
    for (int row = 0; row < kRows; ++row) {
      for (int column = 0; column < kColumns; ++column) {
        const ARGB colour = Gdiplus::MakeARGB(255, static_cast<std::uint8_t>(column * 5),
                                              static_cast<std::uint8_t>(row * 9), 128);
        new CRSCanvasImage(PointF(static_cast<float>(column * kCell - kMargin), static_cast<float>(row * kCell - kMargin)),
                           &root, "piece", PiecePicture(colour, scale));
      }
    }
    // As the window does: its corner is the same fraction of a device pixel
    // off the grid at every scale.
    if (scale != 1) {
      g.TranslateTransform(-0.4f * (1 - scale), -0.4f * (1 - scale));
      g.ScaleTransform(static_cast<float>(scale), static_cast<float>(scale));
    }
    g.TranslateTransform(root.GetTopLeft().X, root.GetTopLeft().Y);
    Paint(RectF(0, 0, kFrameWidth, kFrameHeight));  // builds the device caches
  }

  // What the window does for one invalid rectangle.
  void Paint(const RectF& invalid) {
    GraphicsStateSaver saver(g);
    RectF clip = invalid;
    clip.Inflate(1, 1);
    g.SetClip(clip);
    root.Paint(g, CRSCanvasItem::kZOrderTop, true);
    g.Flush();
  }
};

void BM_PaintFull1296(benchmark::State& state) {
  PuzzleScene scene;
  for (auto _ : state) scene.Paint(RectF(0, 0, kFrameWidth, kFrameHeight));
}
BENCHMARK(BM_PaintFull1296)->Unit(benchmark::kMillisecond);

void BM_PaintFull1296Scale2(benchmark::State& state) {
  PuzzleScene scene(2);
  for (auto _ : state) scene.Paint(RectF(0, 0, kFrameWidth, kFrameHeight));
}
BENCHMARK(BM_PaintFull1296Scale2)->Unit(benchmark::kMillisecond);

void BM_PaintRect200(benchmark::State& state) {
  PuzzleScene scene;
  for (auto _ : state) scene.Paint(RectF(860, 440, 200, 200));
}
BENCHMARK(BM_PaintRect200)->Unit(benchmark::kMicrosecond);

void BM_HitTest1296(benchmark::State& state) {
  PuzzleScene scene;
  // The middle of the board: half the pieces lie above the one found.
  const PointF point(960.5f, 540.5f);
  for (auto _ : state) benchmark::DoNotOptimize(scene.root.HitTest(point));
}
BENCHMARK(BM_HitTest1296)->Unit(benchmark::kMicrosecond);

}  // namespace
