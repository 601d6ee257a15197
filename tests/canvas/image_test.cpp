#include <gtest/gtest.h>

#include <cmath>

#include "canvas/items.h"
#include "item_test_support.h"

namespace {

using item_test::Near;
using item_test::Render;
using item_test::SolidPicture;

constexpr ARGB kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kYellow = 0xFFFFFF00;

// 20 × 10 pixels: red, green on top, blue, yellow below.
std::shared_ptr<Gdiplus::Bitmap> Quadrants() {
  auto bitmap = std::make_shared<Gdiplus::Bitmap>(20, 10, PixelFormat::Format32bppARGB);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) bitmap->SetPixel(x, y, y < 5 ? (x < 10 ? kRed : kGreen) : (x < 10 ? kBlue : kYellow));
  return bitmap;
}

ARGB ProbeLocal(const Gdiplus::Bitmap& frame, const CRSCanvasItem& item, PointF local) {
  const PointF p = item.MapToAncestor(local, nullptr);
  return frame.GetPixel(static_cast<int>(std::floor(p.X)), static_cast<int>(std::floor(p.Y)));
}

TEST(ImagePaintTest, QuarterTurnsAreDrawnFromTheirCacheWithEveryCornerInPlace) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  std::vector<CRSCanvasImage*> images;
  for (int turn = 0; turn < 4; ++turn) {
    auto* image = new CRSCanvasImage(PointF(30.0f + 40.0f * turn, 30), &root, "image", Quadrants());
    image->SetRotation(90.0f * turn);
    images.push_back(image);
  }
  auto frame = Render(root, 200, 80);
  item_test::SaveSceneIfAsked(*frame, "quarter_turns");

  // Worked by hand for the quarter turn: local (5, 2.5) of the image at
  // (70, 30) turned 90° clockwise lies at (67.5, 35).
  EXPECT_EQ(frame->GetPixel(67, 35), kRed);
  for (CRSCanvasImage* image : images) {
    SCOPED_TRACE(image->GetRotation());
    EXPECT_EQ(ProbeLocal(*frame, *image, PointF(5, 2.5f)), kRed);
    EXPECT_EQ(ProbeLocal(*frame, *image, PointF(15, 2.5f)), kGreen);
    EXPECT_EQ(ProbeLocal(*frame, *image, PointF(5, 7.5f)), kBlue);
    EXPECT_EQ(ProbeLocal(*frame, *image, PointF(15, 7.5f)), kYellow);
    EXPECT_TRUE(image->HasDeviceCache());
    EXPECT_EQ(image->GetCacheBuildCount(), 1);
    EXPECT_EQ(image->GetCacheDrawCount(), 1);
  }
  // Nothing is drawn outside the pictures.
  EXPECT_EQ(frame->GetPixel(5, 5), 0xFFFFFFFFu);

  // The next frame reuses every cache.
  Render(root, 200, 80);
  for (CRSCanvasImage* image : images) {
    EXPECT_EQ(image->GetCacheBuildCount(), 1);
    EXPECT_EQ(image->GetCacheDrawCount(), 2);
  }
}

TEST(ImagePaintTest, OnlyAxisAlignedImagesOfModestSizeUseTheCache) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  auto* slanted = new CRSCanvasImage(PointF(40, 40), &root, "slanted", Quadrants());
  slanted->SetScale(PointF(1.5f, 1.5f));
  slanted->SetRotation(45);
  auto* square = new CRSCanvasImage(PointF(100, 40), &root, "square", Quadrants());
  square->SetScale(PointF(1.5f, 1.5f));
  square->SetRotation(90);

  auto frame = Render(root, 160, 100);
  Render(root, 160, 100);
  EXPECT_FALSE(slanted->HasDeviceCache());
  EXPECT_EQ(slanted->GetCacheDrawCount(), 0);
  EXPECT_EQ(square->GetCacheBuildCount(), 1);
  EXPECT_EQ(square->GetCacheDrawCount(), 2);
  // The slanted image is still drawn, just directly.
  EXPECT_EQ(ProbeLocal(*frame, *slanted, PointF(4, 2)), kRed);
  EXPECT_EQ(ProbeLocal(*frame, *square, PointF(16, 8)), kYellow);

  // A change of the accumulated turn or scale through a parent rebuilds it.
  auto* holder = new CRSCanvasGroup(PointF(), &root, "holder");
  square->SetParent(holder);
  holder->SetRotation(180);
  holder->SetPosition(PointF(160, 100));
  frame = Render(root, 160, 100);
  EXPECT_EQ(square->GetCacheBuildCount(), 2);
  EXPECT_EQ(ProbeLocal(*frame, *square, PointF(16, 8)), kYellow);
  // A new scale is drawn straight once (a zoom passing through), and kept
  // when it is drawn again.
  holder->SetScale(PointF(0.5f, 0.5f));
  Render(root, 160, 100);
  EXPECT_EQ(square->GetCacheBuildCount(), 2);
  Render(root, 160, 100);
  EXPECT_EQ(square->GetCacheBuildCount(), 3);

  // Without the cache flag of the paint call, the picture is drawn directly.
  const int draws = square->GetCacheDrawCount();
  Render(root, 160, 100, 0xFFFFFFFF, false);
  EXPECT_EQ(square->GetCacheDrawCount(), draws);

  // A picture covering a million device pixels or more is never cached.
  auto* huge = new CRSCanvasImage(PointF(), &root, "huge", SolidPicture(1000, 1000, kBlue));
  Render(root, 160, 100);
  EXPECT_FALSE(huge->HasDeviceCache());
  huge->SetScale(PointF(0.5f, 0.5f));
  Render(root, 160, 100);
  EXPECT_TRUE(huge->HasDeviceCache());
}

TEST(ImageContentTest, PicturesSizeTheItemAndColourMatricesApplyOnce) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  root.SetSize(SizeF(60, 40));
  auto* image = new CRSCanvasImage(PointF(10, 10), &root, "image");
  EXPECT_TRUE(image->GetSize().Equals(SizeF(0, 0)));
  image->SetOrigin(PointF(3, 3));
  image->SetImage(SolidPicture(30, 20, kRed), true);
  EXPECT_TRUE(image->GetSize().Equals(SizeF(30, 20)));
  EXPECT_TRUE(image->GetOrigin().Equals(PointF(0, 0)));

  // A matrix that keeps only the blue channel and halves alpha.
  Gdiplus::ColorMatrix m{};
  m.m[2][2] = 1.0f;
  m.m[3][3] = 0.5f;
  image->SetColorMatrix(m);
  auto frame = Render(root, 60, 40);
  const ARGB tinted = frame->GetPixel(20, 20);
  // Red vanished; half-transparent black over white is mid grey.
  EXPECT_TRUE(Near(tinted, 0xFF808080, 3)) << std::hex << tinted;
  // The source picture itself is untouched, and hit testing reads it.
  EXPECT_EQ(image->GetImage()->GetPixel(0, 0), kRed);
  EXPECT_EQ(root.HitTest(PointF(20, 20)), image);

  // An empty picture leaves an empty item.
  image->SetImage(std::make_shared<Gdiplus::Bitmap>(0, 5, PixelFormat::Format32bppARGB), true);
  EXPECT_TRUE(image->GetSize().Equals(SizeF(0, 0)));
  EXPECT_EQ(image->GetImage(), nullptr);
  frame = Render(root, 60, 40);
  EXPECT_EQ(frame->GetPixel(20, 20), 0xFFFFFFFFu);
  EXPECT_EQ(root.HitTest(PointF(20, 20)), &root);
}

}  // namespace
