// Pictures drawn without a screen copy (the soft glows under pieces) must
// look exactly as they did with one, glows made from a piece's own picture
// must match glows made by painting it, and a tinted picture that was
// hidden must come back the same.

#include <gtest/gtest.h>

#include <memory>

#include "canvas/glow.h"
#include "canvas/items.h"
#include "item_test_support.h"

namespace {

using item_test::Render;

// Soft-edged: alpha falls off across the picture, colours vary.
std::shared_ptr<Gdiplus::Bitmap> SoftPicture() {
  auto bitmap = std::make_shared<Gdiplus::Bitmap>(23, 17, PixelFormat::Format32bppARGB);
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 23; ++x)
      bitmap->SetPixel(x, y, Gdiplus::MakeARGB(static_cast<std::uint8_t>((x * 11 + y * 13) % 256),
                                               static_cast<std::uint8_t>(x * 10), static_cast<std::uint8_t>(y * 15),
                                               static_cast<std::uint8_t>(200 - x * 3)));
  return bitmap;
}

// Painted as the window paints: an opaque back buffer, nearest-neighbour
// filtering and no smoothing.
std::unique_ptr<Gdiplus::Bitmap> RenderAsWindow(CRSCanvasItem& root) {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(160, 60, PixelFormat::Format24bppRGB);
  Gdiplus::Graphics g(bitmap.get());
  g.Clear(Gdiplus::Color(0xFF336699u));
  g.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
  g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
  root.Paint(g, CRSCanvasItem::kZOrderTop, true);
  g.Flush();
  return bitmap;
}

int CountDifferences(const Gdiplus::Bitmap& a, const Gdiplus::Bitmap& b) {
  int differences = 0;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x) differences += a.GetPixel(x, y) != b.GetPixel(x, y);
  return differences;
}

TEST(ImageScreenCopy, AnImageWithoutACopyLooksExactlyAsWithOne) {
  // Part-pixel places and every quarter turn, where the copy is a filtered
  // shift of the picture rather than the picture itself.
  for (int turn = 0; turn < 4; ++turn) {
    SCOPED_TRACE(turn);
    CRSCanvasItem withCopy(PointF(), nullptr, "root"), without(PointF(), nullptr, "root");
    std::vector<CRSCanvasImage*> straight;
    for (int i = 0; i < 3; ++i) {
      const PointF at(20.0f + 45.0f * static_cast<float>(i) + 0.37f * static_cast<float>(i + 1), 18.61f - 0.3f * static_cast<float>(i));
      for (CRSCanvasItem* root : {&withCopy, &without}) {
        auto* image = new CRSCanvasImage(at, root, "soft", SoftPicture());
        image->SetRotation(90.0f * static_cast<float>(turn));
        if (root == &without) {
          image->SetCacheEnabled(false);
          straight.push_back(image);
        }
      }
    }
    const auto expected = RenderAsWindow(withCopy);
    const auto actual = RenderAsWindow(without);
    EXPECT_EQ(CountDifferences(*expected, *actual), 0);
    for (CRSCanvasImage* image : straight) EXPECT_FALSE(image->HasDeviceCache());
  }
}

TEST(ImageScreenCopy, GlowsFromAPictureMatchGlowsFromItsPaintingAndChildrenStillCount) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  auto* image = new CRSCanvasImage(PointF(5.5f, 3.25f), &root, "piece", SoftPicture());
  const auto fromPicture = RenderGlow(*image, 8, 0xC0000000u, 1.5f);
  ASSERT_TRUE(fromPicture);
  // The slow way: the item painted into a transparent picture of its own.
  Gdiplus::Bitmap painted(23, 17, PixelFormat::Format32bppARGB);
  {
    Gdiplus::Graphics g(&painted);
    image->Paint(g, CRSCanvasItem::kZOrderTop, false);
    g.Flush();
  }
  const auto fromPainting = BuildGlow(painted, 8, 0xC0000000u, 1.5f);
  ASSERT_TRUE(fromPainting);
  EXPECT_EQ(CountDifferences(*fromPicture, *fromPainting), 0);

  // A child drawn over the picture is part of the silhouette: the corner
  // that the picture leaves clear glows once the child covers it.
  const ARGB before = fromPicture->GetPixel(7, 7);
  new CRSCanvasImage(PointF(), image, "cover", item_test::SolidPicture(4, 4, 0xFFFFFFFFu));
  const auto withChild = RenderGlow(*image, 8, 0xC0000000u, 1.5f);
  ASSERT_TRUE(withChild);
  EXPECT_GT(Gdiplus::AlphaOf(withChild->GetPixel(7, 7)), Gdiplus::AlphaOf(before));
}

TEST(ImageScreenCopy, ATintedPictureHiddenAndShownAgainLooksTheSame) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  auto* image = new CRSCanvasImage(PointF(10, 10), &root, "ghost", item_test::SolidPicture(40, 30, 0xFF8040C0u));
  Gdiplus::ColorMatrix tint{};
  for (int i = 0; i < 5; ++i) tint.m[i][i] = 1.0f;
  tint.m[3][3] = 0.3f;
  tint.m[4][0] = tint.m[4][1] = tint.m[4][2] = 0.1f;
  image->SetColorMatrix(tint);
  const auto first = Render(root, 60, 50);
  image->SetVisible(false);
  const auto hidden = Render(root, 60, 50);
  EXPECT_EQ(hidden->GetPixel(20, 20), 0xFFFFFFFFu);
  image->SetVisible(true);
  const auto again = Render(root, 60, 50);
  EXPECT_EQ(CountDifferences(*first, *again), 0);
  EXPECT_NE(again->GetPixel(20, 20), 0xFFFFFFFFu);
}

}  // namespace
