// The play-room scene of the benchmarks.

#include "bench/play_scene.h"

#include <stdlib.h>
#include <time.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "canvas/timer.h"
#include "data/control_styles_default.h"
#include "data/puzzle_data.h"
#include "data/puzzle_image_data.h"
#include "play/play_room.h"
#include "platform/random.h"
#include "platform/window.h"

namespace bench_play {

long PeakMemoryKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::shared_ptr<Gdiplus::Bitmap> MakePicture(int width, int height) {
  auto picture = std::make_shared<Gdiplus::Bitmap>(width, height, PixelFormat::Format24bppRGB);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      picture->SetPixel(x, y, 0xFF000000u | static_cast<ARGB>((x * 255 / width) << 16 | (y * 255 / height) << 8 |
                                                               (((x / 25 + y / 25) % 2) ? 200 : 60)));
  return picture;
}

Scene::Folder::Folder() {
  char name[] = "/tmp/tandrill_bench_XXXXXX";
  if (mkdtemp(name)) path = name;
}

Scene::Folder::~Folder() {
  std::error_code ignored;
  if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

Scene::Scene(int width, int height, int pieceSize, int windowWidth, int windowHeight) {
  setenv("TANDRILL_DATA_DIR", m_folder.path.c_str(), 1);
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  platform::InitialiseMessaging();
  CRSEventDispatcher::Create();
  CRSGlobalEvents::Get();
  CRSTimerStatic::Create();
  CRSControlStylesDefault::Install();
  platform::SeedRand(7);
  m_ok = m_view.Create();
  if (!m_ok) return;
  m_canvas = m_view.GetPuzzleCanvas();
  const int w = windowWidth > 0 ? windowWidth : width + 40;
  const int h = windowHeight > 0 ? windowHeight : height + 60;
  m_view.GetWindow()->ResizeTo(w, h);
  m_canvas->SetSize(SizeF(static_cast<float>(w), static_cast<float>(h)));
  // As on a screen the window fills: a picture larger than that gets a
  // table of its own.
  m_canvas->SetLargestPictureSize(Size(w - 20, h - 40));
  m_view.GetWindow()->Show();
  Pump();

  CPuzzleData puzzle("bench");
  puzzle.SetPicture(MakePicture(width, height));
  puzzle.GetCutter().SetPieceSize(pieceSize);
  puzzle.SetTitle("Bench");
  puzzle.Save();
  auto* record = new CPuzzleImageData(puzzle.GetPicture().get(), "bench");
  m_canvas->GetLibrary().AddPuzzleImage(record);
  // The first opening scatters and saves every piece, so that each later
  // opening restores a saved game.
  Open();
  Leave();
}

Scene::~Scene() {
  Leave();
  DiscardEvents();
}

CPuzzlePlayRoom* Scene::Room() const { return dynamic_cast<CPuzzlePlayRoom*>(m_canvas->GetCurrentRoom()); }

CPuzzlePlayRoom* Scene::Open() {
  auto* room = dynamic_cast<CPuzzlePlayRoom*>(m_canvas->PlaySelectedPuzzle());
  Frame();
  return room;
}

void Scene::Frame() { m_view.GetWindow()->UpdateNow(); }

void Scene::Leave() {
  if (m_canvas) m_canvas->ClearFloor();
  Pump();
}

void Scene::Pump(unsigned ms) {
  FlushEvents(nullptr);
  m_loop.PumpMessages(ms);
}

}  // namespace bench_play
