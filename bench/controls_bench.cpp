// The drawn controls' hot paths. Budgets on the project's machine: the four
// faces of a captioned button in under 0.3 ms; 1,000 thumbnail-sized items
// added to a list view one by one (each add lays the list out) in under
// 50 ms in total; a kind-3 message box created, laid out and painted in
// under 3 ms. Each is measured beside a floor in the same run: one caption
// text measured, 1,000 items placed by hand, and the box's area filled once.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "canvas/controls.h"
#include "canvas/event_dispatcher.h"
#include "platform/bitmap.h"
#include "platform/brush.h"
#include "platform/graphics.h"

namespace {

// Building the four faces: what SetCaption does.
void BM_ButtonFaces(benchmark::State& state) {  // budget: < 0.3 ms
  CRSCanvasItem root(PointF(), nullptr, "root");
  auto* button = new CRSControlButton(PointF(), &root, "b", SizeF(90, 0), "&Cancel");
  bool flip = false;
  for (auto _ : state) {
    button->SetCaption(flip ? "&Cancel" : "&Retry");
    flip = !flip;
    benchmark::DoNotOptimize(button->GetFace(3));
  }
}

// The floor: one caption laid out and measured once.
void BM_ButtonFacesFloorOneText(benchmark::State& state) {
  CRSCanvasText text(PointF(), nullptr, "t");
  text.SetFont("Times New Roman", 15, 1);
  bool flip = false;
  for (auto _ : state) {
    text.SetText(flip ? "&Cancel" : "&Retry");
    flip = !flip;
    benchmark::DoNotOptimize(text.GetSize());
  }
}

std::shared_ptr<Gdiplus::Bitmap> Thumbnail() {
  static auto picture = std::make_shared<Gdiplus::Bitmap>(120, 90, PixelFormat::Format32bppARGB);
  return picture;
}

// A room fills its list one record at a time.
void BM_ListViewAdd1000(benchmark::State& state) {  // budget: < 50 ms
  for (auto _ : state) {
    CRSCanvasItem root(PointF(), nullptr, "root");
    auto* list = new CRSListView(PointF(), &root, "list", SizeF(1200, 800));
    for (int i = 0; i < 1000; ++i) list->AddItem(new CRSCanvasImage(PointF(), nullptr, "thumb", Thumbnail()));
    benchmark::DoNotOptimize(list->GetRowCount());
    state.PauseTiming();
    root.DeleteChildren();
    state.ResumeTiming();
  }
}

// The floor: the same items made and placed by hand in a plain item.
void BM_ListViewAdd1000FloorPlace(benchmark::State& state) {
  for (auto _ : state) {
    CRSCanvasItem root(PointF(), nullptr, "root");
    auto* area = new CRSCanvasItem(PointF(), &root, "area");
    for (int i = 0; i < 1000; ++i) {
      auto* item = new CRSCanvasImage(PointF(), area, "thumb", Thumbnail());
      item->SetPosition(PointF(static_cast<float>(i % 8) * 140.0f, static_cast<float>(i / 8) * 90.0f));
    }
    state.PauseTiming();
    root.DeleteChildren();
    state.ResumeTiming();
  }
}

// Creating, laying out and painting a kind-3 box into an off-screen buffer.
void BM_MessageBoxOpen(benchmark::State& state) {  // budget: < 3 ms
  CRSCanvasItem root(PointF(), nullptr, "root");
  root.SetSize(SizeF(800, 600));
  Gdiplus::Bitmap buffer(800, 600, PixelFormat::Format32bppARGB);
  for (auto _ : state) {
    auto* box = new CRSMessageBox("Do you want to keep this puzzle in the library?", "Tandrill", &root, CRSMessageBox::Kind::kYesNoCancel);
    {
      Gdiplus::Graphics g(&buffer);
      const Gdiplus::Matrix toRoot = box->GetTransformTo(nullptr);
      g.MultiplyTransform(&toRoot);
      box->Paint(g, CRSCanvasItem::kZOrderTop, true);
    }
    state.PauseTiming();
    box->Delete();
    state.ResumeTiming();
  }
}

// The floor: the box's area filled once with its translucent colour.
void BM_MessageBoxOpenFloorFill(benchmark::State& state) {
  Gdiplus::Bitmap buffer(800, 600, PixelFormat::Format32bppARGB);
  Gdiplus::SolidBrush brush(Gdiplus::Color(0x9900008Fu));
  for (auto _ : state) {
    Gdiplus::Graphics g(&buffer);
    g.FillRectangle(&brush, 235, 230, 330, 140);
  }
}

BENCHMARK(BM_ButtonFaces)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ButtonFacesFloorOneText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListViewAdd1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListViewAdd1000FloorPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MessageBoxOpen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MessageBoxOpenFloorFill)->Unit(benchmark::kMicrosecond);

}  // namespace
