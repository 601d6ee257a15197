// One drag step in a full puzzle scene: a piece moves, the window repaints
// the area it left and the area it entered through the back buffer, and
// shows that rectangle. Budget: under 4 ms, so dragging stays well above 60
// frames a second; the same on a screen of twice the density
// (BM_DragStep1296Scale2, pieces with pictures of twice the pixels).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "canvas/behaviours.h"
#include "canvas/event_dispatcher.h"
#include "canvas/items.h"
#include "canvas/view.h"
#include "platform/bitmap.h"
#include "platform/brush.h"
#include "platform/display_scale.h"
#include "platform/graphics_path.h"
#include "platform/message_loop.h"

namespace {

// A 40 x 40 piece-like picture of `scale` pixels a unit: opaque inside,
// transparent corners.
std::shared_ptr<Gdiplus::Bitmap> PiecePicture(ARGB colour, int scale) {
  const int side = 40 * scale, in = 6 * scale, far = side - 1 - in;
  auto bitmap = std::make_shared<Gdiplus::Bitmap>(side, side, PixelFormat::Format32bppARGB);
  bitmap->SetResolution(Gdiplus::Bitmap::kUnitResolution * scale, Gdiplus::Bitmap::kUnitResolution * scale);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const int dx = x < in ? in - x : x > far ? x - far : 0, dy = y < in ? in - y : y > far ? y - far : 0;
      bitmap->SetPixel(x, y, dx * dx + dy * dy > in * in ? 0u : colour);
    }
  return bitmap;
}

void DragStep1296(benchmark::State& state, int scale) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  platform::SetDisplayScale(static_cast<float>(scale));
  platform::MessageLoop loop;
  CRSCanvasView view;
  if (!view.Create("bench")) {
    state.SkipWithError("no window");
    return;
  }
  auto path = std::make_unique<Gdiplus::GraphicsPath>();
  path->AddRectangle(RectF(0, 0, 1, 1));
  auto* root = new CRSCanvasShape(PointF(), nullptr, "root", std::move(path));
  root->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(0xFFD8D0C0u)));
  root->SetSize(SizeF(1920, 1080));
  std::vector<CRSCanvasItem*> pieces;
  for (int row = 0; row < 27; ++row)
    for (int col = 0; col < 48; ++col) {
      const ARGB colour = 0xFF000000u | static_cast<ARGB>((col * 5) << 16 | (row * 9) << 8 | 0x80);
      auto* piece = new CRSCanvasImage(PointF(col * 40.0f, row * 40.0f), root, "piece", PiecePicture(colour, scale));
      CBehaviourShadow::SetShadow(piece, PointF(4, 4));
      pieces.push_back(piece);
    }
  view.SetRoot(root);
  view.GetWindow()->Show();
  loop.PumpMessages(20);  // first full paint, shadows rendered
  view.GetWindow()->UpdateNow();

  CRSCanvasItem* dragged = pieces[600];
  CRSAutoPtrPolymorphic<CRSCanvasItem> keep(root);
  float x = dragged->GetPosition().X;
  const float y = dragged->GetPosition().Y;
  int step = 0;
  for (auto _ : state) {
    x += (step++ % 40 < 20) ? 3.0f : -3.0f;
    dragged->SetPosition(PointF(x, y));
    view.GetWindow()->UpdateNow();
  }
  view.SetRoot(nullptr);
  keep = nullptr;
  loop.PumpMessages(0);
  platform::SetDisplayScale(1.0f);
}

void BM_DragStep1296(benchmark::State& state) { DragStep1296(state, 1); }
BENCHMARK(BM_DragStep1296)->Unit(benchmark::kMillisecond);

void BM_DragStep1296Scale2(benchmark::State& state) { DragStep1296(state, 2); }
BENCHMARK(BM_DragStep1296Scale2)->Unit(benchmark::kMillisecond);

}  // namespace
