// Large pictures drawn scaled keep a copy at their drawn size, and an opaque
// copy stays opaque: its edges must not turn black or let the background
// show through.

#include <gtest/gtest.h>

#include "canvas/items.h"
#include "item_test_support.h"

namespace {

using item_test::Render;

TEST(ImageCacheTest, AScaledScreenSizedPhotoIsKeptAtItsDrawnSizeWithCleanEdges) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  // 1600 x 900 opaque pixels, shown at three quarters from a part-pixel
  // position, as the cuts room shows a photo under its zoom.
  auto photo = std::make_shared<Gdiplus::Bitmap>(1600, 900, PixelFormat::Format24bppRGB);
  for (int y = 0; y < 900; ++y)
    for (int x = 0; x < 1600; ++x) photo->SetPixel(x, y, x < 800 ? 0xFF2040C0u : 0xFFC04020u);
  auto* image = new CRSCanvasImage(PointF(10.4f, 20.6f), &root, "photo", photo);
  image->SetScale(PointF(0.75f, 0.75f));
  Render(root, 1240, 720, 0xFF00FF00u);
  const auto frame = Render(root, 1240, 720, 0xFF00FF00u);
  EXPECT_TRUE(image->HasDeviceCache());
  EXPECT_EQ(image->GetCacheBuildCount(), 1);
  EXPECT_EQ(image->GetCacheDrawCount(), 2);
  // Inside, both halves; just past every edge, the green background; on
  // the first and last rows and columns, the photo and never black.
  EXPECT_EQ(frame->GetPixel(100, 300), 0xFF2040C0u);
  EXPECT_EQ(frame->GetPixel(1100, 300), 0xFFC04020u);
  for (int y = 22; y < 693; y += 37) {
    EXPECT_EQ(frame->GetPixel(8, y), 0xFF00FF00u);
    EXPECT_EQ(frame->GetPixel(1213, y), 0xFF00FF00u);
    EXPECT_NE(frame->GetPixel(11, y), 0xFF000000u);
    EXPECT_NE(frame->GetPixel(1209, y), 0xFF000000u);
  }
}

}  // namespace
