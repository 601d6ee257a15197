// One drag step in a full puzzle scene: a piece moves, the window repaints
// the area it left and the area it entered through the back buffer, and
// shows that rectangle. Budget: under 4 ms, so dragging stays well above 60
// frames a second.

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
#include "platform/graphics_path.h"
#include "platform/message_loop.h"

namespace {

// A 40 x 40 piece-like picture: opaque inside, transparent corners.
std::shared_ptr<Gdiplus::Bitmap> PiecePicture(ARGB colour) {
  auto bitmap = std::make_shared<Gdiplus::Bitmap>(40, 40, PixelFormat::Format32bppARGB);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      const int dx = x < 6 ? 6 - x : x > 33 ? x - 33 : 0, dy = y < 6 ? 6 - y : y > 33 ? y - 33 : 0;
      bitmap->SetPixel(x, y, dx * dx + dy * dy > 36 ? 0u : colour);
    }
  return bitmap;
}

void BM_DragStep1296(benchmark::State& state) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
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
      auto* piece = new CRSCanvasImage(PointF(col * 40.0f, row * 40.0f), root, "piece", PiecePicture(colour));
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
}
BENCHMARK(BM_DragStep1296)->Unit(benchmark::kMillisecond);

}  // namespace
