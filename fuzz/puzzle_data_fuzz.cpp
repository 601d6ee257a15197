// Feeds arbitrary bytes to the puzzle reader as a gift's embedded puzzle
// would arrive. A puzzle that reads as playable is written back out, its
// progress taken, and (when its cut is small) every piece item built, so
// that hostile cuts and piece records reach the code that uses them.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "canvas/event_dispatcher.h"
#include "canvas/items.h"
#include "data/puzzle_data.h"
#include "data/xml_writer.h"
#include "play/piece.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = [] {
    CRSEventDispatcher::Create();
    return true;
  }();
  (void)ready;
  CPuzzleData puzzle("fuzz");
  if (!puzzle.LoadFromText(std::string_view(reinterpret_cast<const char*>(data), size))) return 0;
  CRSXMLWriter out;
  puzzle.Write(out);
  const Size grid = puzzle.GetCutter().GetGridSize();
  const Size cut = puzzle.GetCutter().GetImageSize();
  const float scale = puzzle.GetSizeScale();
  if (grid.Width * grid.Height <= 16 && cut.Width * scale * cut.Height * scale <= 250000.0f) {
    if (auto cutImage = puzzle.GetCutter().GetCutImage(*puzzle.GetPicture())) {
      CRSAutoPtrPolymorphic<CRSCanvasItem> area = new CRSCanvasItem(PointF(), nullptr, "area");
      area->SetSize(SizeF(1000, 1000));
      for (int r = 0; r < grid.Height; ++r)
        for (int c = 0; c < grid.Width; ++c) {
          if (CPuzzlePiece* piece = puzzle.CreatePieceItem(area, c, r, *cutImage)) piece->TryConnect();
        }
      (void)puzzle.GetPercentCompleted();
      area->DeleteChildren();
    }
  }
  DiscardEvents();
  return 0;
}
