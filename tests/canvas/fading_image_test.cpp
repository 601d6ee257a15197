// Fading images: the kept, faded picture against the colour matrix it stands
// for, and what a change of the factor or a move costs.

#include "canvas/fading_image.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "item_test_support.h"
#include "platform/image_attributes.h"

namespace {

using item_test::Near;
using item_test::Render;

// A picture of many alphas and colours, fully transparent pixels among them.
std::shared_ptr<Gdiplus::Bitmap> Speckled(int w, int h) {
  auto b = std::make_shared<Gdiplus::Bitmap>(w, h, PixelFormat::Format32bppARGB);
  std::srand(7);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const unsigned a = (x + y) % 5 == 0 ? 0u : static_cast<unsigned>(std::rand() % 256);
      auto c = [&] { return a ? static_cast<unsigned>(std::rand()) % (a + 1) : 0u; };
      b->SetPixel(x, y, (a << 24) | (c() << 16) | (c() << 8) | c());
    }
  }
  return b;
}

TEST(FadingImageTest, FadingMatchesTheColourMatrixOfThatAlphaFactor) {
  const auto source = Speckled(23, 17);
  Gdiplus::Bitmap faded(23, 17, PixelFormat::Format32bppARGB);
  for (float factor : {0.0f, 0.05f, 0.5f, 1.0f, 1.2f, 3.0f}) {
    Gdiplus::ColorMatrix matrix{};
    for (int i = 0; i < 5; ++i) matrix.m[i][i] = 1.0f;
    matrix.m[3][3] = factor;
    Gdiplus::ImageAttributes attributes;
    attributes.SetColorMatrix(&matrix);
    const auto expected = attributes.Apply(*source);
    CRSCanvasFadingImage::Fade(*source, factor, faded);
    // The stored, premultiplied words: reading them back as straight colour
    // would magnify a rounding step at a low alpha.
    int mismatches = 0;
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 23; ++x) mismatches += Near(faded.GetRow(y)[x], expected->GetRow(y)[x], 1) ? 0 : 1;
    EXPECT_EQ(mismatches, 0) << "factor " << factor;
  }
}

TEST(FadingImageTest, TicksFadeTheKeptPictureAndMovesKeepIt) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  const auto picture = Speckled(30, 20);
  auto* image = new CRSCanvasFadingImage(PointF(10, 10), &root, "logo", picture);
  image->SetScale(PointF(2.0f, 2.0f));
  image->SetAlphaFactor(0.4f);

  // The reference: a plain image through the colour matrix.
  CRSCanvasItem reference(PointF(), nullptr, "reference");
  auto* plain = new CRSCanvasImage(PointF(10, 10), &reference, "plain", picture);
  plain->SetScale(PointF(2.0f, 2.0f));
  auto withFactor = [&](float factor) {
    Gdiplus::ColorMatrix matrix{};
    for (int i = 0; i < 5; ++i) matrix.m[i][i] = 1.0f;
    matrix.m[3][3] = factor;
    plain->SetColorMatrix(matrix);
    return Render(reference, 90, 70, 0xFF808080u, false);
  };
  auto differences = [](const Gdiplus::Bitmap& a, const Gdiplus::Bitmap& b) {
    int count = 0;
    for (int y = 0; y < a.GetHeight(); ++y)
      for (int x = 0; x < a.GetWidth(); ++x) count += Near(a.GetPixel(x, y), b.GetPixel(x, y), 3) ? 0 : 1;
    return count;
  };

  EXPECT_EQ(differences(*Render(root, 90, 70, 0xFF808080u), *withFactor(0.4f)), 0);
  EXPECT_EQ(image->GetScaleCount(), 1);
  EXPECT_EQ(image->GetFadeCount(), 1);

  // A tick: a new factor fades again, scales nothing; the same factor again
  // changes nothing at all.
  image->SetAlphaFactor(0.9f);
  EXPECT_EQ(differences(*Render(root, 90, 70, 0xFF808080u), *withFactor(0.9f)), 0);
  image->SetAlphaFactor(0.9f);
  Render(root, 90, 70);
  EXPECT_EQ(image->GetScaleCount(), 1);
  EXPECT_EQ(image->GetFadeCount(), 2);

  // Moving keeps both pictures; a new size scales once more.
  image->MoveBy(PointF(7, 3));
  plain->MoveBy(PointF(7, 3));
  EXPECT_EQ(differences(*Render(root, 90, 70, 0xFF808080u), *withFactor(0.9f)), 0);
  EXPECT_EQ(image->GetScaleCount(), 1);
  EXPECT_EQ(image->GetFadeCount(), 2);
  image->SetScale(PointF(1.0f, 1.0f));
  Render(root, 90, 70);
  EXPECT_EQ(image->GetScaleCount(), 2);

  // A factor of 0 shows nothing; a turned image is drawn through the matrix.
  image->SetAlphaFactor(0.0f);
  EXPECT_EQ(Render(root, 90, 70, 0xFF808080u)->GetPixel(20, 20), 0xFF808080u);
  image->SetAlphaFactor(1.0f);
  image->SetRotation(90.0f);
  plain->SetScale(PointF(1.0f, 1.0f));
  plain->MoveBy(PointF(-7, -3));
  plain->SetRotation(90.0f);
  image->MoveBy(PointF(-7, -3));
  EXPECT_EQ(differences(*Render(root, 90, 70, 0xFF808080u), *withFactor(1.0f)), 0);
}

}  // namespace
