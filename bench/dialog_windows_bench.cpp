// BM_FileDialogPaint: one full paint of the open dialog's body (places,
// path segments and a screenful of rows with ready thumbnails) over a
// folder of 2,000 pictures. Budget: under 10 ms, so every redraw after a
// click, a key or an arriving thumbnail is one short step of the
// user-interface thread.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "canvas/dialogs/dialogs.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "platform/bitmap.h"
#include "platform/graphics.h"
#include "platform/image_codec.h"
#include "platform/message_loop.h"

namespace {

void BM_FileDialogPaint(benchmark::State& state) {
  char pattern[] = "/tmp/tandrill-dialog-bench-XXXXXX";
  const char* made = mkdtemp(pattern);
  if (!made) {
    state.SkipWithError("no folder");
    return;
  }
  const std::string folder = made;
  Gdiplus::Bitmap photo(640, 480, Gdiplus::PixelFormat::Format24bppRGB);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) photo.SetPixel(x, y, 0xFF000000u | static_cast<ARGB>(x * 257 + y * 65536));
  std::vector<std::uint8_t> jpeg;
  platform::EncodeImage(photo, "image/jpeg", jpeg);
  for (int i = 0; i < 2000; ++i) {
    if (FILE* f = std::fopen((folder + "/photo" + std::to_string(i) + ".jpg").c_str(), "wb")) {
      std::fwrite(jpeg.data(), 1, jpeg.size(), f);
      std::fclose(f);
    }
  }

  platform::MessageLoop loop;
  CRSEventDispatcher::Create();
  CRSGlobalEvents::Get();
  {
    CRSThumbnailService thumbnails;
    auto* root = new CRSCanvasItem(PointF(), nullptr, "root");
    root->SetSize(SizeF(1280, 800));
    CRSAutoPtrPolymorphic<CRSCanvasItem> keep(root);
    CRSOpenFileRequest request;
    request.title = "Open Puzzle Image:";
    request.filters = ImageFileFilters();
    request.initialFolder = folder;
    auto* dialog = new CRSFileDialogWindow(root, request, &thumbnails);
    // The listing and the visible thumbnails arrive first.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    auto visibleReady = [&] {
      CRSFileBrowser& b = dialog->Browser();
      if (b.IsReading() || b.GetModel().GetRowCount() == 0) return false;
      for (int row = 0; row < dialog->GetLayout().visibleRows; ++row)
        if (thumbnails.Find(b.GetModel().PathOfRow(row)) != CRSThumbnailService::State::kReady) return false;
      return true;
    };
    while (!visibleReady() && std::chrono::steady_clock::now() < deadline) {
      FlushEvents(nullptr);
      loop.PumpMessages(0);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (!visibleReady()) state.SkipWithError("thumbnails did not arrive");
    const SizeF size = dialog->GetBody()->GetSize();
    Gdiplus::Bitmap canvas(static_cast<int>(size.Width), static_cast<int>(size.Height),
                           Gdiplus::PixelFormat::Format32bppARGB);
    Gdiplus::Graphics g(&canvas);
    for (auto _ : state) {
      dialog->GetBody()->PaintContent(g, false);
      g.Flush();
    }
    keep = nullptr;
    FlushEvents(nullptr);
    loop.PumpMessages(0);
  }
  DiscardEvents();
  for (int i = 0; i < 2000; ++i) unlink((folder + "/photo" + std::to_string(i) + ".jpg").c_str());
  rmdir(folder.c_str());
}
BENCHMARK(BM_FileDialogPaint)->Unit(benchmark::kMillisecond);

}  // namespace
