// A puzzle of 9,600 pieces from a 6000 x 4000 photo, the way a player makes
// and finishes one: the photo is cut at its own size through the cuts room,
// played, left, reopened from its file and laid together; the puzzle is then
// congratulated once and saved solved. A step on the way that grows with
// the square of the pieces makes it take far longer. Joining a row to a
// group of thousands costs the group's size for each piece of the row, so
// it takes a minute or two all the same and runs on its own (see
// tests/CMakeLists.txt).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "canvas/controls.h"
#include "data/library.h"
#include "data/puzzle_data.h"
#include "platform/image_codec.h"
#include "play/piece.h"
#include "play/play_room.h"
#include "play/table.h"
#include "rooms/cut_settings_dialog.h"
#include "rooms/cuts_room.h"
#include "tests/app/root_scene.h"
#include "tests/data/puzzle_test_support.h"

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kPieceSize = 50;
constexpr std::size_t kPieceCount = (kWidth / kPieceSize) * (kHeight / kPieceSize);

// A photo-like picture: a sky over a ridge of hills in bands, with grain,
// so that the file is as large as a photo's and no two pieces look alike.
void WritePhoto(const std::string& path) {
  Gdiplus::Bitmap photo(kWidth, kHeight, PixelFormat::Format24bppRGB);
  std::uint32_t seed = 12345;
  for (int y = 0; y < kHeight; ++y) {
    std::uint32_t* row = photo.GetRow(y);
    for (int x = 0; x < kWidth; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int grain = static_cast<int>(seed >> 28) - 8;
      const int below = y - kHeight / 2 - static_cast<int>(300.0 * std::sin(x / 470.0));
      const int band = below < 0 ? 0 : 1 + (x / 300 + below / 180) % 3;
      const int rgb[3] = {band ? 40 * band + (x % 211) / 6 : 90 + y / 40, band ? 120 - 15 * band : 140 + y / 50,
                          band ? 40 + 10 * band : 230 - y / 100};
      std::uint32_t pixel = 0xFF000000u;
      for (int c = 0; c < 3; ++c)
        pixel |= static_cast<std::uint32_t>(std::clamp(rgb[c] + grain, 0, 255)) << (16 - 8 * c);
      row[x] = pixel;
    }
  }
  photo.MarkDirty();
  ASSERT_TRUE(platform::SaveImageByExtension(photo, path));
}

class LargePuzzleScene : public RootScene {
 protected:
  void SetUp() override {
    RootScene::SetUp();
    canvas->SetSize(SizeF(1920, 1080));
    canvas->SetLargestPictureSize(Size(1916, 1076));
    Pump(3);
  }

  CPuzzlePlayRoom* Play() {
    auto* room = dynamic_cast<CPuzzlePlayRoom*>(canvas->PlaySelectedPuzzle());
    Pump(3);
    return room;
  }

  int SolvedBoxes(const CRSObject* parent) {
    int count = 0;
    for (const auto& child : parent->GetChildren()) {
      auto* box = dynamic_cast<CRSMessageBox*>(child.get());
      count += box ? box->GetCaption() == "Puzzle Solved !!!" : child ? SolvedBoxes(child.get()) : 0;
    }
    return count;
  }
};

TEST_F(LargePuzzleScene, DISABLED_NinetySixHundredPiecesAreCutSavedReopenedAndSolvedOnce) {
  const std::string path = puzzle_test::MakeTempFolder() + "/valley.jpg";
  WritePhoto(path);
  ASSERT_TRUE(canvas->CreatePuzzleFromPicture(path));
  auto* cuts = dynamic_cast<CPuzzleCutsRoom*>(canvas->GetCurrentRoom());
  ASSERT_NE(cuts, nullptr);
  CPuzzleCutSettingsDlg* dialog = cuts->GetDialog();
  dialog->GetPictureSizeList()->SetSelection(1);
  ASSERT_EQ(dialog->GetPictureSizeList()->GetSelectedText(), "Full picture");
  dialog->GetDifficultySlider()->SetValue(cut_settings::DifficultyPosition(kPieceSize, dialog->Values().maxPieceSize));
  ASSERT_EQ(cuts->GetPuzzle()->GetCutter().GetPieceSize(), kPieceSize);
  ASSERT_TRUE(cuts->Accept());
  Pump(3);
  CPuzzleImageData* entry = canvas->GetLibrary().FindPuzzleImage("valley.jpg");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->GetNumberOfPieces(), static_cast<int>(kPieceCount));

  // The first game scatters and saves; the second is restored from the file.
  CPuzzlePlayRoom* room = Play();
  ASSERT_NE(room, nullptr);
  ASSERT_EQ(room->GetPieces().size(), kPieceCount);
  ASSERT_TRUE(room->GetTable()->HasOwnSize());
  canvas->ClearFloor();
  Pump(3);
  room = Play();
  ASSERT_NE(room, nullptr);
  ASSERT_EQ(room->GetPieces().size(), kPieceCount);
  EXPECT_FALSE(room->GetPuzzle()->IsCompleted());

  // Every piece laid upright in its place, each row apart from the next,
  // and let go: each row joins up. Then each row is pushed up against the
  // rows above it and joins them. (Joining piece by piece to one growing
  // group costs the size of that group each time.)
  constexpr float kRowGap = 30.0f;
  const auto rowOf = [](const CPuzzlePiece* piece) { return static_cast<int>(piece->GetCellCentre().Y) / kPieceSize; };
  room->GetTable()->SetView(1.0f, PointF());
  std::vector<CPuzzlePiece*> firstOfRow(kHeight / kPieceSize, nullptr);
  for (const auto& ref : room->GetPieces()) {
    CPuzzlePiece* piece = ref.get();
    piece->SetRotation(0.0f);
    piece->SetOrigin(piece->GetAnchor());
    const int row = rowOf(piece);
    piece->SetPosition(PointF(100.0f, 100.0f + kRowGap * static_cast<float>(row)) + piece->GetCellCentre());
    if (!firstOfRow[static_cast<std::size_t>(row)]) firstOfRow[static_cast<std::size_t>(row)] = piece;
  }
  for (const auto& ref : room->GetPieces()) ref->TryConnect();
  for (std::size_t row = 1; row < firstOfRow.size(); ++row) {
    CPuzzlePiece* piece = firstOfRow[row];
    piece->GetParentItem()->MoveBy(PointF(0.0f, -kRowGap * static_cast<float>(row)));
    EXPECT_TRUE(piece->TryConnect()) << "row " << row;
  }
  Pump(3);
  EXPECT_EQ(SolvedBoxes(canvas), 1);
  EXPECT_TRUE(room->GetPuzzle()->IsCompleted());
  // Letting go of a piece of the finished puzzle congratulates no more.
  room->GetPieces().front()->TryConnect();
  Pump(3);
  EXPECT_EQ(SolvedBoxes(canvas), 1);

  canvas->ClearFloor();
  Pump(3);
  EXPECT_EQ(canvas->GetLibrary().FindPuzzleImage("valley.jpg")->GetPercentCompleted(), 100);
  CPuzzleData saved("valley.jpg");
  ASSERT_TRUE(saved.Load());
  EXPECT_TRUE(saved.IsCompleted());
  EXPECT_EQ(saved.GetPicture()->GetWidth(), kWidth);
  std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}

}  // namespace
