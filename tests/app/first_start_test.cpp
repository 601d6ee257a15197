#include "app/first_start.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "canvas/event_dispatcher.h"
#include "data/library.h"
#include "data/puzzle_data.h"
#include "platform/paths.h"

namespace {

// The first start brings three playable samples in their own category, the
// first selected; the marker keeps deleted samples from coming back, and a
// library that was found is never touched.
TEST(FirstStartTest, SamplesComeOnceIntoAnEmptyLibrary) {
  CRSEventDispatcher::Create();
  std::filesystem::remove(platform::GetDataDirectory() + app::kSamplesMarker);
  {
    CPuzzleLibrary found;
    EXPECT_FALSE(app::AddSamplePuzzlesOnFirstStart(found, false));
    EXPECT_TRUE(found.GetPuzzleImages().empty());
  }

  CPuzzleLibrary library;
  ASSERT_TRUE(app::AddSamplePuzzlesOnFirstStart(library, true));
  ASSERT_EQ(library.GetPuzzleImages().size(), 3u);
  ASSERT_NE(library.FindCategory(app::kSampleCategory), nullptr);
  // The folder has a fixed place clear of the panels, not a random one.
  EXPECT_TRUE(library.FindCategory(app::kSampleCategory)->IsPositionValid());
  EXPECT_GE(library.FindCategory(app::kSampleCategory)->GetPosition().X, 120.0f);
  EXPECT_EQ(library.GetSelectedPuzzleImage(), library.GetPuzzleImages().front().get());
  int selected = 0;
  for (const auto& entry : library.GetPuzzleImages()) {
    selected += entry->IsSelected();
    EXPECT_EQ(entry->GetCategory(), app::kSampleCategory);
    EXPECT_GE(entry->GetNumberOfPieces(), 20);
    CPuzzleData puzzle(entry->GetName());
    EXPECT_TRUE(puzzle.Load()) << entry->GetName() << " is playable";
    EXPECT_EQ(puzzle.GetCutter().GetGridSize().Width * puzzle.GetCutter().GetGridSize().Height,
              entry->GetNumberOfPieces());
  }
  EXPECT_EQ(selected, 1);

  CPuzzleLibrary emptiedByThePlayer;
  EXPECT_FALSE(app::AddSamplePuzzlesOnFirstStart(emptiedByThePlayer, true));
  EXPECT_TRUE(emptiedByThePlayer.GetPuzzleImages().empty());
}

}  // namespace
