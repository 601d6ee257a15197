#include "canvas/glow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "canvas/behaviours.h"
#include "item_test_support.h"

namespace {

// The glow straight from its definition: for each output pixel, the alpha
// sum over the n × n square ending at it, clipped to the source.
std::vector<unsigned> ReferenceAlpha(const Gdiplus::Bitmap& source, int n, ARGB colour, float strength) {
  const int w = source.GetWidth() + n - 1, h = source.GetHeight() + n - 1;
  std::vector<unsigned> out;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int sum = 0;
      for (int sy = y - n + 1; sy <= y; ++sy)
        for (int sx = x - n + 1; sx <= x; ++sx)
          if (sx >= 0 && sy >= 0 && sx < source.GetWidth() && sy < source.GetHeight())
            sum += Gdiplus::AlphaOf(source.GetPixel(sx, sy));
      const int value = std::min(255, static_cast<int>(static_cast<float>(sum) * strength / static_cast<float>(n * n)));
      out.push_back((static_cast<unsigned>(value) * Gdiplus::AlphaOf(colour)) >> 8);
    }
  }
  return out;
}

std::unique_ptr<Gdiplus::Bitmap> Pattern(int w, int h) {
  auto b = std::make_unique<Gdiplus::Bitmap>(w, h, PixelFormat::Format32bppARGB);
  // Uneven alphas, fully transparent and fully opaque pixels, so that an
  // off-by-one in the window or an edge that counts outside pixels shows.
  const unsigned alphas[] = {0, 255, 17, 128, 255, 0, 64, 200, 3, 255, 90};
  int k = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b->SetPixel(x, y, (static_cast<ARGB>(alphas[k++ % 11]) << 24) | 0x00336699);
  return b;
}

TEST(GlowTest, MatchesTheFormulaForSeveralBoxesAndStrengths) {
  const auto source = Pattern(7, 5);
  const struct {
    int n;
    float strength;
    ARGB colour;
  } cases[] = {{1, 1.0f, 0xFF000000}, {3, 1.0f, 0x90FFFF00}, {3, 2.0f, 0x90FFFF00},
               {8, 1.0f, 0x70000000}, {16, 2.0f, 0x90FFFF00}, {5, 0.7f, 0xFF123456}};
  for (const auto& c : cases) {
    const auto glow = BuildGlow(*source, c.n, c.colour, c.strength);
    ASSERT_NE(glow, nullptr);
    ASSERT_EQ(glow->GetWidth(), 7 + c.n - 1);
    ASSERT_EQ(glow->GetHeight(), 5 + c.n - 1);
    const std::vector<unsigned> expected = ReferenceAlpha(*source, c.n, c.colour, c.strength);
    int mismatches = 0;
    for (int y = 0; y < glow->GetHeight(); ++y) {
      for (int x = 0; x < glow->GetWidth(); ++x) {
        const ARGB p = glow->GetPixel(x, y);
        const unsigned want = expected[static_cast<size_t>(y) * glow->GetWidth() + x];
        if (Gdiplus::AlphaOf(p) != want && ++mismatches < 5)
          ADD_FAILURE() << "n=" << c.n << " strength=" << c.strength << " at (" << x << ", " << y
                        << "): alpha " << int(Gdiplus::AlphaOf(p)) << ", formula " << want;
        // The colour shows as itself wherever the glow is strong enough for
        // its channels to survive premultiplication.
        if (want >= 64) {
          EXPECT_TRUE(item_test::Near(p & 0x00FFFFFF, c.colour & 0x00FFFFFF, 3))
              << std::hex << p << " at (" << std::dec << x << ", " << y << ")";
        }
      }
    }
    EXPECT_EQ(mismatches, 0);
  }
}

TEST(GlowTest, HighlightImageGetsTheGlowOfTheItemAtItsFirstPaint) {
  auto* root = new CRSCanvasItem(PointF(), nullptr, "root");
  root->SetSize(SizeF(200, 200));
  // A 20 × 10 opaque image whose left half is transparent.
  auto picture = std::make_shared<Gdiplus::Bitmap>(20, 10, PixelFormat::Format32bppARGB);
  for (int y = 0; y < 10; ++y)
    for (int x = 10; x < 20; ++x) picture->SetPixel(x, y, 0xFF0000FF);
  auto* item = new CRSCanvasImage(PointF(50, 50), root, "piece", picture);
  CBehaviourHighlight* highlight = CBehaviourHighlight::SetHighlight(item, true);
  CRSCanvasImage* image = highlight->GetImage();
  EXPECT_EQ(image->GetImage(), nullptr) << "nothing is rendered before the image is painted";

  item_test::Render(*root, 200, 200);
  const auto& glow = image->GetImage();
  ASSERT_NE(glow, nullptr);
  ASSERT_EQ(glow->GetWidth(), 20 + 16 - 1);
  ASSERT_EQ(glow->GetHeight(), 10 + 16 - 1);
  // The box ending at (27, 12) covers 8 × 10 opaque pixels of 16 × 16:
  // ⌊80 · 255 · 2 / 256⌋ = 159, at the highlight colour's alpha 0x90.
  EXPECT_EQ(Gdiplus::AlphaOf(glow->GetPixel(27, 12)), 159u * 0x90u >> 8);
  EXPECT_EQ(Gdiplus::AlphaOf(glow->GetPixel(5, 12)), 0u) << "the transparent half casts no glow";
  // Still placed around the item after the picture came.
  EXPECT_NEAR(image->GetTopLeft().X, 42, 1e-3);
  EXPECT_NEAR(image->GetTopLeft().Y, 42, 1e-3);

  // A second paint does not render again: the picture is kept.
  const Gdiplus::Bitmap* first = glow.get();
  item_test::Render(*root, 200, 200);
  EXPECT_EQ(image->GetImage().get(), first);
  root->Delete();
}

TEST(GlowTest, ItemsThatPaintTheSameAlphaShareOneGlowWhileItIsShown) {
  auto* root = new CRSCanvasItem(PointF(), nullptr, "root");
  root->SetSize(SizeF(400, 200));
  // Three opaque pictures of one size in different colours, one of another
  // size, and one with a hole: the first three cast the same glow.
  auto solid = [](int w, int h, ARGB colour) { return item_test::SolidPicture(w, h, colour); };
  auto holed = solid(30, 20, 0xFF00FF00);
  holed->SetPixel(10, 10, 0x00000000);
  std::vector<CRSCanvasImage*> items;
  const std::shared_ptr<Gdiplus::Bitmap> pictures[] = {solid(30, 20, 0xFFFF0000), solid(30, 20, 0xFF0000FF),
                                                       solid(30, 20, 0xFF123456), solid(31, 20, 0xFFFF0000), holed};
  float x = 10;
  for (const auto& picture : pictures) {
    items.push_back(new CRSCanvasImage(PointF(x, 50), root, "thumb", picture));
    x += 60;
  }
  const int builds = GetGlowBuildCount();
  std::vector<std::shared_ptr<Gdiplus::Bitmap>> glows;
  for (CRSCanvasImage* item : items) glows.push_back(RenderGlow(*item, 6, 0x70000000, 0.9f));
  EXPECT_EQ(GetGlowBuildCount() - builds, 3);
  EXPECT_EQ(glows[0], glows[1]);
  EXPECT_EQ(glows[0], glows[2]);
  EXPECT_NE(glows[0], glows[3]);
  EXPECT_NE(glows[0], glows[4]);
  // Another colour or box is another glow, and a shared glow is the one the
  // item would have cast alone.
  EXPECT_NE(RenderGlow(*items[0], 6, 0x90FFFF00, 0.9f), glows[0]);
  EXPECT_NE(RenderGlow(*items[0], 8, 0x70000000, 0.9f), glows[0]);
  const auto alone = BuildGlow(*pictures[2], 6, 0x70000000, 0.9f);
  for (int y = 0; y < alone->GetHeight(); ++y)
    for (int xx = 0; xx < alone->GetWidth(); ++xx) ASSERT_EQ(glows[2]->GetPixel(xx, y), alone->GetPixel(xx, y));

  // Once no one shows it, the glow is made afresh.
  glows.clear();
  const int before = GetGlowBuildCount();
  RenderGlow(*items[1], 6, 0x70000000, 0.9f);
  EXPECT_EQ(GetGlowBuildCount() - before, 1);
  root->Delete();
}

}  // namespace
