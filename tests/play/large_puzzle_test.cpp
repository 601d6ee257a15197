// A puzzle of 9,600 pieces from a 6000 x 4000 photo, the way a player makes
// and finishes one: the photo is cut at its own size through the cuts room,
// played, left, reopened from its file and laid together; the puzzle is then
// congratulated once and saved solved. A step that grows with the square of
// the pieces on the way (cutting, saving, restoring) makes it take far
// longer. It takes a minute or two all the same (joining a row to a group
// of thousands costs the group's size for every piece of the row), so it
// runs on its own, outside the test program's other cases (see
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

// A photo-like picture: a sky fading to a horizon, hills of several colours
// and fine grain, so that the file is as large as a photo's and no two
// pieces look alike.
void WritePhoto(const std::string& path) {
  Gdiplus::Bitmap photo(kWidth, kHeight, PixelFormat::Format24bppRGB);
  std::vector<int> ridge(kWidth);
  for (int x = 0; x < kWidth; ++x)
    ridge[static_cast<std::size_t>(x)] =
        kHeight / 2 + static_cast<int>(300.0 * std::sin(x / 470.0) + 120.0 * std::sin(x / 97.0 + 1.0));
  std::uint32_t seed = 12345;
  for (int y = 0; y < kHeight; ++y) {
    std::uint32_t* row = photo.GetRow(y);
    for (int x = 0; x < kWidth; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int grain = static_cast<int>(seed >> 28) - 8;
      int r, g, b;
      if (y < ridge[static_cast<std::size_t>(x)]) {
        r = 90 + y * 100 / kHeight;
        g = 140 + y * 80 / kHeight;
        b = 230 - y * 40 / kHeight;
      } else {
        const int band = ((x / 300) + (y - ridge[static_cast<std::size_t>(x)]) / 180) % 3;
        r = 60 + band * 40 + (x % 211) / 6;
        g = 120 - band * 15 + (y % 173) / 5;
        b = 40 + band * 10;
      }
      const auto c = [grain](int v) { return static_cast<std::uint32_t>(std::clamp(v + grain, 0, 255)); };
      row[x] = 0xFF000000u | c(r) << 16 | c(g) << 8 | c(b);
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
    folder = puzzle_test::MakeTempFolder();
  }
  void TearDown() override {
    RootScene::TearDown();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  CPuzzlePlayRoom* Play() {
    auto* room = dynamic_cast<CPuzzlePlayRoom*>(canvas->PlaySelectedPuzzle());
    Pump(3);
    return room;
  }

  int SolvedBoxes(const CRSObject* parent = nullptr) {
    int count = 0;
    for (const auto& child : (parent ? parent : canvas)->GetChildren()) {
      if (auto* box = dynamic_cast<CRSMessageBox*>(child.get()))
        count += box->GetCaption() == "Puzzle Solved !!!" ? 1 : 0;
      else if (child)
        count += SolvedBoxes(child.get());
    }
    return count;
  }

  std::string folder;
};

TEST_F(LargePuzzleScene, DISABLED_NinetySixHundredPiecesAreCutSavedReopenedAndSolvedOnce) {
  const std::string path = folder + "/valley.jpg";
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
  EXPECT_EQ(SolvedBoxes(), 1);
  EXPECT_TRUE(room->GetPuzzle()->IsCompleted());
  // Letting go of a piece of the finished puzzle congratulates no more.
  room->GetPieces().front()->TryConnect();
  Pump(3);
  EXPECT_EQ(SolvedBoxes(), 1);

  canvas->ClearFloor();
  Pump(3);
  EXPECT_EQ(canvas->GetLibrary().FindPuzzleImage("valley.jpg")->GetPercentCompleted(), 100);
  CPuzzleData saved("valley.jpg");
  ASSERT_TRUE(saved.Load());
  EXPECT_TRUE(saved.IsCompleted());
  EXPECT_EQ(saved.GetPicture()->GetWidth(), kWidth);
}

}  // namespace
