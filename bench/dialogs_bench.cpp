// The file dialog's two hot paths.
//
// BM_FolderList10000: reading a folder of 10,000 files, filtering it by the
// picture patterns, sorting it naturally and building the visible rows.
// Budget: under 100 ms, so opening a large photo folder feels immediate.
// BM_FolderReadFloor reads the same folder's names without looking at any
// entry, the least any listing costs on this machine.
//
// BM_ThumbnailQueue100: 100 JPEG photos of 1920 x 1080 made into thumbnails
// on the worker thread while the user-interface thread keeps pumping its
// messages. Budget: no single step of the user-interface thread (a request,
// or the delivery of finished thumbnails) over 10 ms; the counter
// ui_max_step_ms reports the longest one seen.

#include <benchmark/benchmark.h>
#include <ftw.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>

#include "canvas/dialogs/file_filter.h"
#include "canvas/dialogs/folder_model.h"
#include "canvas/dialogs/thumbnails.h"
#include "platform/image_codec.h"
#include "platform/message_loop.h"

namespace {

using Clock = std::chrono::steady_clock;

class BenchFolder {
 public:
  BenchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tandrill-bench-XXXXXX";
    if (mkdtemp(pattern.data())) m_root = pattern;
  }
  ~BenchFolder() {
    if (!m_root.empty())
      nftw(m_root.c_str(), [](const char* p, const struct stat*, int, FTW*) { return ::remove(p); }, 16,
           FTW_DEPTH | FTW_PHYS);
  }
  const std::string& Root() const { return m_root; }
  bool Write(const std::string& name, const std::string& bytes) const {
    FILE* f = std::fopen((m_root + "/" + name).c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
  }

 private:
  std::string m_root;
};

// A camera-like mix: numbered photos in both cases, some other files, a few
// hidden ones.
bool FillFolder(const BenchFolder& folder) {
  for (int i = 0; i < 10000; ++i) {
    std::string name;
    switch (i % 10) {
      case 0: name = "notes " + std::to_string(i) + ".txt"; break;
      case 1: name = ".thumb" + std::to_string(i) + ".png"; break;
      case 2: name = "Scan" + std::to_string(i) + ".PNG"; break;
      default: name = (i % 2 ? "IMG_" : "img_") + std::to_string(i) + ".JPG"; break;
    }
    if (!folder.Write(name, "")) return false;
  }
  return true;
}

void BM_FolderList10000(benchmark::State& state) {
  BenchFolder folder;
  if (folder.Root().empty() || !FillFolder(folder)) {
    state.SkipWithError("could not prepare the folder");
    return;
  }
  CRSFolderModel model;
  model.SetPatterns(SplitFilterPattern(ImageFileFilters().front().pattern));
  int rows = 0;
  for (auto _ : state) {
    model.SetFolder(folder.Root());
    rows = model.GetRowCount();
    benchmark::DoNotOptimize(rows);
  }
  state.counters["rows"] = rows;
}
BENCHMARK(BM_FolderList10000)->Unit(benchmark::kMillisecond);

void BM_FolderReadFloor(benchmark::State& state) {
  BenchFolder folder;
  if (folder.Root().empty() || !FillFolder(folder)) {
    state.SkipWithError("could not prepare the folder");
    return;
  }
  for (auto _ : state) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.Root().c_str());
    while (const dirent* d = dir ? readdir(dir) : nullptr) names.emplace_back(d->d_name);
    if (dir) closedir(dir);
    benchmark::DoNotOptimize(names.data());
  }
}
BENCHMARK(BM_FolderReadFloor)->Unit(benchmark::kMillisecond);

// A 1920 x 1080 photo-like picture: gradients with fine noise, so the JPEG
// is about as large and as slow to decode as a real photo.
std::string PhotoJpeg() {
  Gdiplus::Bitmap picture(1920, 1080, Gdiplus::PixelFormat::Format24bppRGB);
  unsigned seed = 12345;
  for (int y = 0; y < 1080; ++y) {
    std::uint32_t* row = picture.GetRow(y);
    for (int x = 0; x < 1920; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int noise = static_cast<int>((seed >> 16) & 31);
      row[x] = 0xFF000000u | (std::min(255, x / 8 + noise) << 16) | (std::min(255, y / 5 + noise) << 8) |
               std::min(255, (x + y) / 12 + noise);
    }
  }
  picture.MarkDirty();
  std::vector<std::uint8_t> bytes;
  if (!platform::EncodeImage(picture, "image/jpeg", bytes)) return std::string();
  return std::string(bytes.begin(), bytes.end());
}

void BM_ThumbnailQueue100(benchmark::State& state) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  BenchFolder folder;
  const std::string jpeg = PhotoJpeg();
  if (folder.Root().empty() || jpeg.empty()) {
    state.SkipWithError("could not prepare the photos");
    return;
  }
  std::vector<std::string> paths;
  for (int i = 0; i < 100; ++i) {
    const std::string name = "photo" + std::to_string(i) + ".jpg";
    if (!folder.Write(name, jpeg)) {
      state.SkipWithError("could not write the photos");
      return;
    }
    paths.push_back(folder.Root() + "/" + name);
  }
  platform::MessageLoop loop;
  double longestStepMs = 0;
  double totalMs = 0;
  int rounds = 0;
  for (auto _ : state) {
    const auto roundStart = Clock::now();
    // A new service each time: its cache would otherwise answer at once.
    CRSThumbnailService service;
    struct Counter : sigslot::has_slots {
      int done = 0;
      void On(std::string, bool) { ++done; }
    } counter;
    service.sigThumbnailDone.connect(&counter, &Counter::On);
    for (const std::string& path : paths) {
      const auto start = Clock::now();
      service.Request(path);
      longestStepMs = std::max(longestStepMs, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    const auto deadline = Clock::now() + std::chrono::seconds(120);
    while (counter.done < static_cast<int>(paths.size()) && Clock::now() < deadline) {
      // Each pump handles only what is queued, so its length is the length
      // of one step of user-interface work; the sleep stands for a loop
      // that is waiting for input.
      const auto start = Clock::now();
      loop.PumpMessages(0);
      longestStepMs = std::max(longestStepMs, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (counter.done < static_cast<int>(paths.size())) state.SkipWithError("thumbnails did not arrive");
    totalMs += std::chrono::duration<double, std::milli>(Clock::now() - roundStart).count();
    ++rounds;
  }
  state.counters["ui_max_step_ms"] = longestStepMs;
  if (rounds > 0) state.counters["per_thumbnail_ms"] = totalMs / rounds / static_cast<double>(paths.size());
}
BENCHMARK(BM_ThumbnailQueue100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
