#include "app/first_start.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "app/sample_pictures.h"
#include "data/library.h"
#include "data/puzzle_category_data.h"
#include "data/puzzle_data.h"
#include "data/puzzle_image_data.h"
#include "platform/bitmap.h"
#include "platform/display_scale.h"
#include "platform/files.h"
#include "platform/graphics.h"
#include "platform/paths.h"

namespace app {
namespace {

constexpr int kSampleWidth = 960;
constexpr int kSampleHeight = 640;

// A gentle start: few large pieces first, then more, all with the classic
// knobbed edges.
struct SampleCut {
  int pieceSize;
  int shapeType;
  float deviation;
};
constexpr std::array<SampleCut, kSamplePictureCount> kCuts = {{{160, 6, 0.2f}, {120, 7, 0.3f}, {96, 6, 0.35f}}};
// Floor coordinates of the Samples folder: right of the Main panel, near the
// top, clear of the centred category window on any screen the game fits.
const PointF kSampleFolderPlace(150.0f, 40.0f);

// The category's picture: the first sample, small.
std::shared_ptr<Gdiplus::Bitmap> CategoryPicture(const Gdiplus::Bitmap& sample) {
  auto small = std::make_shared<Gdiplus::Bitmap>(96, 64, Gdiplus::PixelFormat::Format24bppRGB);
  Gdiplus::Graphics g(small.get());
  g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
  g.DrawImage(&sample, RectF(0, 0, 96, 64));
  return small;
}

}  // namespace

bool AddSamplePuzzlesOnFirstStart(CPuzzleLibrary& library, bool libraryFileWasMissing) {
  const std::string marker = platform::GetDataDirectory() + kSamplesMarker;
  std::error_code ignored;
  if (!libraryFileWasMissing || !library.GetPuzzleImages().empty() || !library.GetCategories().empty() ||
      std::filesystem::exists(marker, ignored)) {
    return false;
  }
  // The marker first: should anything below fail, the game does not try
  // again at every start.
  if (!platform::WriteFileAtomically(marker, "The sample puzzles were made.\n")) return false;

  // The three pictures are drawn at once: each spreads its rows over the
  // cores, but the marbles are laid one after another, and meanwhile the
  // other pictures keep the remaining cores busy. Each picture is its own
  // surface and depends on nothing shared, so the result is the same as
  // drawing them in turn.
  // On a dense screen they are drawn at its density, cut into as many
  // pieces, so that the pieces show as sharp as the rest of the game.
  const float density = platform::GetDisplayScale();
  auto dense = [density](int length) { return static_cast<int>(std::lround(length * density)); };
  std::array<std::shared_ptr<Gdiplus::Bitmap>, kSamplePictureCount> pictures;
  {
    std::vector<std::thread> painters;
    for (int i = 0; i < kSamplePictureCount; ++i) {
      painters.emplace_back([&pictures, &dense, i] {
        pictures[static_cast<size_t>(i)] = MakeSamplePicture(i, dense(kSampleWidth), dense(kSampleHeight));
      });
    }
    for (std::thread& painter : painters) painter.join();
  }

  bool first = true;
  for (int i = 0; i < kSamplePictureCount; ++i) {
    std::shared_ptr<Gdiplus::Bitmap> picture = pictures[static_cast<size_t>(i)];
    if (!picture) continue;
    if (i == 0) {
      auto* category = new CPuzzleCategoryData(kSampleCategory, CategoryPicture(*picture));
      // A new player should see the folder at once: beside the Main panel,
      // above where the category window opens, rather than at a random
      // place that may lie under a panel or the room's title.
      category->SetPosition(kSampleFolderPlace);
      library.AddCategory(category);
    }

    const std::string title = GetSamplePictureTitle(i);
    const std::string name = library.MakeUniqueName(title);
    CPuzzleData puzzle(name);
    puzzle.SetTitle(title);
    puzzle.SetPicture(picture);
    puzzle.GetCutter().SetPieceSize(dense(kCuts[static_cast<size_t>(i)].pieceSize));
    puzzle.GetCutter().SetShapeType(kCuts[static_cast<size_t>(i)].shapeType);
    puzzle.GetCutter().SetDeviation(kCuts[static_cast<size_t>(i)].deviation);
    if (!puzzle.Save()) continue;

    const Size grid = puzzle.GetCutter().GetGridSize();
    const int pieceSize = puzzle.GetCutter().GetPieceSize();
    auto* entry = new CPuzzleImageData(picture.get(), name);
    entry->SetTitle(title);
    entry->SetCategory(kSampleCategory);
    entry->SetNumberOfPieces(grid.Width * grid.Height);
    entry->SetSize(Size(grid.Width * pieceSize, grid.Height * pieceSize));
    entry->SetScattered(true);
    // A new entry starts selected; only the first sample stays so.
    entry->SetSelected(first);
    first = false;
    library.AddPuzzleImage(entry);
  }
  return true;
}

}  // namespace app
