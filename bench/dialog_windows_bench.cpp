// BM_FileDialogPaint: one full paint of the open dialog's body (places,
// path segments and a screenful of rows with ready thumbnails) over a
// folder of 2,000 pictures. Budget: under 10 ms, so every redraw after a
// click, a key or an arriving thumbnail is one short step of the
// user-interface thread.
//
// BM_FileDialogPathBarMove: one mouse move over the path bar of a folder
// twelve levels deep, as the pointer sweeps along it (what lies under the
// pointer, and the hover it changes). Budget: under 0.1 ms, so the bar
// follows the pointer however long the path; measured beside
// BM_FileDialogPartAtFloor, the same sweep over the list, where no text is
// involved.

#include <benchmark/benchmark.h>
#include <sys/stat.h>
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
#include "platform/messages.h"

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

// An open dialog over an empty folder twelve levels deep, its listing read.
class DeepFolderScene {
 public:
  DeepFolderScene() {
    char pattern[] = "/tmp/tandrill-path-bench-XXXXXX";
    if (const char* made = mkdtemp(pattern)) m_base = made;
    if (m_base.empty()) return;
    m_deepest = m_base;
    for (int i = 0; i < 12; ++i) {
      m_deepest += "/Holiday pictures " + std::to_string(2010 + i);
      mkdir(m_deepest.c_str(), 0700);
      m_made.push_back(m_deepest);
    }
    CRSEventDispatcher::Create();
    CRSGlobalEvents::Get();
    m_root = new CRSCanvasItem(PointF(), nullptr, "root");
    m_root->SetSize(SizeF(1280, 800));
    m_keep = m_root;
    CRSOpenFileRequest request;
    request.title = "Open Puzzle Image:";
    request.filters = ImageFileFilters();
    request.initialFolder = m_deepest;
    m_dialog = new CRSFileDialogWindow(m_root, request, &m_thumbnails);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (m_dialog->Browser().IsReading() && std::chrono::steady_clock::now() < deadline) {
      FlushEvents(nullptr);
      m_loop.PumpMessages(0);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  ~DeepFolderScene() {
    m_keep = nullptr;
    FlushEvents(nullptr);
    m_loop.PumpMessages(0);
    DiscardEvents();
    for (auto it = m_made.rbegin(); it != m_made.rend(); ++it) rmdir(it->c_str());
    if (!m_base.empty()) rmdir(m_base.c_str());
  }
  bool Ready() const { return m_dialog && !m_dialog->Browser().IsReading(); }
  CRSFileDialogWindow& Dialog() { return *m_dialog; }

 private:
  platform::MessageLoop m_loop;
  CRSThumbnailService m_thumbnails;
  std::string m_base, m_deepest;
  std::vector<std::string> m_made;
  CRSCanvasItem* m_root = nullptr;
  CRSAutoPtrPolymorphic<CRSCanvasItem> m_keep;
  CRSFileDialogWindow* m_dialog = nullptr;
};

// Sweeps the pointer along a rectangle of the body in 40 steps.
void SweepMoves(benchmark::State& state, bool overPathBar) {
  DeepFolderScene scene;
  if (!scene.Ready()) {
    state.SkipWithError("no folder");
    return;
  }
  CRSFileDialogBody* body = scene.Dialog().GetBody();
  const CRSFileDialogLayout& l = scene.Dialog().GetLayout();
  const RectF r = overPathBar ? l.segments : l.list;
  int step = 0;
  for (auto _ : state) {
    const PointF at(r.X + r.Width * static_cast<float>(step % 40) / 40.0f, r.Y + r.Height / 2);
    bool handled = false;
    body->OnMouse(static_cast<int>(platform::kMsgMouseMove), at, 0, &handled);
    ++step;
  }
}

void BM_FileDialogPathBarMove(benchmark::State& state) { SweepMoves(state, true); }
BENCHMARK(BM_FileDialogPathBarMove)->Unit(benchmark::kMicrosecond);

void BM_FileDialogPartAtFloor(benchmark::State& state) { SweepMoves(state, false); }
BENCHMARK(BM_FileDialogPartAtFloor)->Unit(benchmark::kMicrosecond);

}  // namespace
