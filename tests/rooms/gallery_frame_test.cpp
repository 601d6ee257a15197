#include "rooms/gallery_frame.h"

#include <gtest/gtest.h>

#include <cmath>

#include "canvas/behaviours.h"
#include "canvas/items.h"
#include "data/puzzle_image_data.h"
#include "rooms/gallery_room_layout.h"

namespace {

using Gdiplus::Bitmap;

std::shared_ptr<Bitmap> Solid(int w, int h, ARGB colour) {
  auto b = std::make_shared<Bitmap>(w, h, PixelFormat::Format32bppARGB);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b->SetPixel(x, y, colour);
  return b;
}

// Artwork whose pieces are told apart by colour; the corner marks its own
// top left pixel so each turn can be seen.
gallery::FrameArtwork TestArt() {
  gallery::FrameArtwork art;
  art.nail = Solid(5, 3, 0xFF0000FFu);
  art.border = Solid(4, 6, 0xFF00FF00u);
  auto corner = Solid(6, 6, 0xFFFF0000u);
  corner->SetPixel(0, 0, 0xFFFFFFFFu);
  art.corner = corner;
  return art;
}

TEST(GalleryFrame, ComposesNailThumbnailStripsAndTurnedCorners) {
  const gallery::FrameArtwork art = TestArt();
  for (auto [w, h] : {std::pair{40, 30}, std::pair{1, 1}, std::pair{1000, 2}}) {
    auto thumb = Solid(w, h, 0xFF808080u);
    auto frame = gallery::ComposeFrame(*thumb, art);
    ASSERT_NE(frame, nullptr) << w;
    const int b = 4, nh = 3;
    ASSERT_EQ(frame->GetWidth(), w + 2 * b);
    ASSERT_EQ(frame->GetHeight(), nh + h + 2 * b);
    // Nail centred at the top, transparent beside it.
    EXPECT_EQ(frame->GetPixel((w + 2 * b - 5) / 2, 0), 0xFF0000FFu) << w;
    EXPECT_EQ(frame->GetPixel(0, 0) >> 24, 0u);
    // Thumbnail in its place; the corner pieces, wider than the strip,
    // overlap its corners as a mitred frame does.
    if (w >= 40) {
      EXPECT_EQ(frame->GetPixel(b + w / 2, nh + b + h / 2), 0xFF808080u) << w;
      EXPECT_EQ(frame->GetPixel(b + w - 3, nh + b + h / 2), 0xFF808080u) << w;
    }
    if (w >= 40 && h >= 20) {
      // Strips along the edges, away from the corners; no faded ends.
      EXPECT_EQ(frame->GetPixel(1, nh + b + h / 2), 0xFF00FF00u);
      EXPECT_EQ(frame->GetPixel(w + b + 1, nh + b + h / 2), 0xFF00FF00u);
      EXPECT_EQ(frame->GetPixel(b + w / 2, nh + 1), 0xFF00FF00u);
      EXPECT_EQ(frame->GetPixel(b + w / 2, nh + h + b + 1), 0xFF00FF00u);
      EXPECT_EQ(frame->GetPixel(6, nh + 1) >> 24, 0xFFu) << "strip meets the corner without a gap";
    }
    // Each corner turned a quarter further (clockwise): the marked pixel
    // sits at the frame's outer corner every time.
    const int W = frame->GetWidth(), H = frame->GetHeight();
    EXPECT_EQ(frame->GetPixel(0, nh), 0xFFFFFFFFu) << w;
    EXPECT_EQ(frame->GetPixel(W - 1, nh), 0xFFFFFFFFu) << w;
    EXPECT_EQ(frame->GetPixel(W - 1, H - 1), 0xFFFFFFFFu) << w;
    EXPECT_EQ(frame->GetPixel(0, H - 1), 0xFFFFFFFFu) << w;
  }
  Bitmap invalid(0, 0, PixelFormat::Format32bppARGB);
  EXPECT_EQ(gallery::ComposeFrame(invalid, art), nullptr);
  // Missing artwork leaves just the picture.
  auto bare = gallery::ComposeFrame(*Solid(7, 5, 0xFF808080u), gallery::FrameArtwork{});
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(bare->GetWidth(), 7);
  EXPECT_EQ(bare->GetHeight(), 5);
}

TEST(GalleryFrame, FramedPictureCarriesHighlightAndItsEntry) {
  auto picture = Solid(400, 300, 0xFF446688u);
  auto* entry = new CPuzzleImageData(picture.get(), "harbour");
  CRSAutoPtrPolymorphic<CRSCanvasImage> image = gallery::CreateFramedPicture(*entry);
  ASSERT_NE(image.get(), nullptr);
  EXPECT_EQ(image->GetName(), "harbour");
  auto* data = dynamic_cast<CPuzzleImageData::PuzzleImageUserData*>(image->GetUserData());
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->GetData(), entry);
  EXPECT_NE(CRSCanvasBehaviour::Find<CBehaviourHighlight>(image.get()), nullptr);
  const auto& art = gallery::FrameArtwork::BuiltIn();
  ASSERT_TRUE(art.nail && art.border && art.corner) << "the built-in artwork decodes";
  EXPECT_EQ(image->GetImage()->GetWidth(), entry->GetThumbnail()->GetWidth() + 2 * art.border->GetWidth());
  EXPECT_EQ(image->GetSize().Height, static_cast<float>(image->GetImage()->GetHeight()));
  entry->Delete();
  EXPECT_EQ(data->GetData(), nullptr) << "the back-reference reads null once the entry is gone";
  image.ResetWithDeletion();
}

TEST(GalleryLayout, TinyHugeAndNarrowNeverBreakTheGrid) {
  CRSCanvasItem wall(PointF(), nullptr, "wall");
  std::vector<CRSCanvasItem*> items;
  const gallery::FrameArtwork art = TestArt();
  for (auto [w, h] : {std::pair{1, 1}, std::pair{1024, 1024}, std::pair{1024, 1}, std::pair{1, 1024}}) {
    auto thumb = Solid(w, h, 0xFF808080u);
    items.push_back(new CRSCanvasImage(PointF(-50, 70), &wall, "f", std::shared_ptr<Bitmap>(gallery::ComposeFrame(*thumb, art))));
  }
  items.push_back(nullptr);  // an item that went meanwhile is skipped
  for (float width : {0.0f, 100.0f, 1040.0f, 5000.0f}) {
    const gallery::WallLayout layout = gallery::LayOutWall(items, width);
    EXPECT_GE(layout.columns, 1) << width;
    EXPECT_TRUE(std::isfinite(layout.pitch) && layout.pitch > 0) << width;
    EXPECT_NEAR(layout.cellHeight, 1024 + 3 + 8, 0.01f);
    EXPECT_NEAR(layout.minSize.Width, 3 * (1024 + 8 + gallery::kCellGap), 0.01f);
    RectF previous;
    for (size_t i = 0; i + 1 < items.size(); ++i) {
      const RectF b = items[i]->GetBoundsIn(&wall);
      EXPECT_GE(b.X, 0.0f) << width << " " << i;
      EXPECT_GE(b.Y, 0.0f) << width << " " << i;
      if (i > 0) {
        const bool sameRow = std::fabs(b.Y + b.Height / 2 - (previous.Y + previous.Height / 2)) < 1.0f;
        if (sameRow) EXPECT_GE(b.X, previous.GetRight() - 0.5f);
        else EXPECT_GT(b.Y + b.Height / 2, previous.Y + previous.Height / 2);
      }
      previous = b;
    }
  }
  // Five items in a 5000-wide wall: one row, natural pitch.
  const gallery::WallLayout wide = gallery::LayOutWall(items, 5000.0f);
  EXPECT_NEAR(wide.minSize.Height, wide.cellHeight, 0.01f);
  EXPECT_NEAR(wide.pitch, 1032 + gallery::kCellGap, 0.01f);
  EXPECT_TRUE(gallery::LayOutWall({}, 800.0f).minSize.Height == 0.0f);
}

}  // namespace
