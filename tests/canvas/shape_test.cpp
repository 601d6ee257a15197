#include <gtest/gtest.h>

#include <memory>

#include "canvas/items.h"
#include "canvas/shape_shadow.h"
#include "item_test_support.h"

namespace {

using item_test::Render;

constexpr ARGB kWhite = 0xFFFFFFFF, kBlue = 0xFF0000FF, kRed = 0xFFFF0000;

// A rectangle with corners rounded by radius r.
std::unique_ptr<Gdiplus::GraphicsPath> RoundedRect(float w, float h, float r) {
  auto path = std::make_unique<Gdiplus::GraphicsPath>();
  path->AddArc(0, 0, 2 * r, 2 * r, 180, 90);
  path->AddArc(w - 2 * r, 0, 2 * r, 2 * r, 270, 90);
  path->AddArc(w - 2 * r, h - 2 * r, 2 * r, 2 * r, 0, 90);
  path->AddArc(0, h - 2 * r, 2 * r, 2 * r, 90, 90);
  path->CloseFigure();
  return path;
}

bool IsBlend(ARGB p) { return p != kWhite && p != kRed && p != kBlue; }

TEST(ShapePaintTest, RoundedShapeIsFilledAndOutlinedWithSmoothCorners) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  // The path is adopted at its own size and moved to the local origin.
  auto* shape = new CRSCanvasShape(PointF(10, 10), &root, "shape", RoundedRect(60, 40, 12));
  EXPECT_TRUE(shape->GetSize().Equals(SizeF(60, 40)));
  shape->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(kBlue)));
  shape->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(kRed), 4.0f));
  EXPECT_TRUE(shape->GetLocalRect().Equals(RectF(-2, -2, 64, 44)));

  auto frame = Render(root, 90, 70);
  item_test::SaveSceneIfAsked(*frame, "rounded_shape");
  EXPECT_EQ(frame->GetPixel(40, 30), kBlue);   // inside
  EXPECT_EQ(frame->GetPixel(40, 10), kRed);    // on the top edge
  EXPECT_EQ(frame->GetPixel(10, 10), kWhite);  // cut off by the rounded corner
  // Along the corner arc the outline is anti-aliased: some pixels blend.
  int blended = 0;
  for (int y = 8; y < 22; ++y)
    for (int x = 8; x < 22; ++x) blended += IsBlend(frame->GetPixel(x, y)) ? 1 : 0;
  EXPECT_GT(blended, 4);

  // Without anti-aliasing the outline has only pure colours.
  shape->SetAntiAliasOutline(false);
  frame = Render(root, 90, 70);
  blended = 0;
  for (int y = 8; y < 22; ++y)
    for (int x = 8; x < 22; ++x) blended += IsBlend(frame->GetPixel(x, y)) ? 1 : 0;
  EXPECT_EQ(blended, 0);
}

TEST(ShapeGeometryTest, PathFollowsTheSizeAndHitsFollowFillOrOutline) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  root.SetSize(SizeF(300, 300));
  auto path = std::make_unique<Gdiplus::GraphicsPath>();
  path->AddRectangle(RectF(50, 50, 20, 10));  // adopted: moved to (0, 0)
  auto* shape = new CRSCanvasShape(PointF(100, 100), &root, "shape", std::move(path));
  RectF bounds;
  shape->GetPath()->GetBounds(&bounds);
  EXPECT_TRUE(bounds.Equals(RectF(0, 0, 20, 10)));

  shape->SetSize(SizeF(80, 40));
  shape->GetPath()->GetBounds(&bounds);
  EXPECT_TRUE(bounds.Equals(RectF(0, 0, 80, 40)));

  // Outline only: the middle is empty, the edge answers (as wide as the pen).
  shape->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(kRed), 6.0f));
  EXPECT_EQ(root.HitTest(PointF(140, 120)), &root);
  EXPECT_EQ(root.HitTest(PointF(140, 102)), shape);
  EXPECT_EQ(root.HitTest(PointF(140, 98)), shape);  // outside the path, inside the pen
  EXPECT_EQ(root.HitTest(PointF(140, 95)), &root);
  // With a brush the inside answers too.
  shape->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(kBlue)));
  EXPECT_EQ(root.HitTest(PointF(140, 120)), shape);
  // Removing out of range removes the last; the rectangle shrinks with it.
  shape->RemovePen(9);
  EXPECT_EQ(shape->GetPenCount(), 0);
  EXPECT_EQ(root.HitTest(PointF(140, 98)), &root);
}

TEST(BrushPaintTest, TexturesTileAndGradientsRunAcrossTheShape) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  // A 4 × 4 texture: left half black, right half green.
  Gdiplus::Bitmap tile(4, 4, PixelFormat::Format32bppARGB);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) tile.SetPixel(x, y, x < 2 ? 0xFF000000 : 0xFF00FF00);
  auto tiled = std::make_unique<Gdiplus::GraphicsPath>();
  tiled->AddRectangle(RectF(0, 0, 40, 20));
  auto* textured = new CRSCanvasShape(PointF(0, 0), &root, "textured", std::move(tiled));
  textured->AddBrush(std::make_shared<Gdiplus::TextureBrush>(&tile));

  auto band = std::make_unique<Gdiplus::GraphicsPath>();
  band->AddRectangle(RectF(0, 0, 100, 20));
  auto* graded = new CRSCanvasShape(PointF(0, 30), &root, "graded", std::move(band));
  graded->AddBrush(std::make_shared<Gdiplus::LinearGradientBrush>(PointF(0, 0), PointF(100, 0),
                                                                  Gdiplus::Color(0xFF000000),
                                                                  Gdiplus::Color(0xFFFFFFFF)));
  auto frame = Render(root, 110, 60);
  for (int x : {1, 5, 9, 33}) EXPECT_EQ(frame->GetPixel(x, 10), 0xFF000000u) << x;
  for (int x : {3, 7, 11, 39}) EXPECT_EQ(frame->GetPixel(x, 10), 0xFF00FF00u) << x;
  // The gradient brightens evenly from left to right.
  const int left = Gdiplus::RedOf(frame->GetPixel(5, 40));
  const int middle = Gdiplus::RedOf(frame->GetPixel(50, 40));
  const int right = Gdiplus::RedOf(frame->GetPixel(95, 40));
  EXPECT_LT(left, 30);
  EXPECT_NEAR(middle, 128, 8);
  EXPECT_GT(right, 225);
}

int CountDark(const Gdiplus::Bitmap& frame, const Rect& area) {
  int dark = 0;
  for (int y = area.Y; y < area.GetBottom(); ++y)
    for (int x = area.X; x < area.GetRight(); ++x) dark += Gdiplus::RedOf(frame.GetPixel(x, y)) < 100 ? 1 : 0;
  return dark;
}

TEST(TextPaintTest, TextsSizeThemselvesAndDrawInsideTheirRectangle) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  auto* text = new CRSCanvasText(PointF(10, 10), &root, "text");
  text->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(0xFF000000)));
  text->SetFont("Times New Roman", 45, FontStyleBold);
  EXPECT_TRUE(text->GetSize().Equals(SizeF(0, 0)));  // no text yet
  text->SetText("Wg");
  const SizeF size = text->GetSize();
  // 45 points are 60 pixels: a line is taller than that, two bold glyphs wide.
  EXPECT_GT(size.Height, 60.0f);
  EXPECT_LT(size.Height, 90.0f);
  EXPECT_GT(size.Width, 60.0f);
  EXPECT_LT(size.Width, 120.0f);
  const SizeF wider = (text->SetText("Wg Wg"), text->GetSize());
  EXPECT_GT(wider.Width, size.Width * 1.8f);

  auto frame = Render(root, 260, 110);
  item_test::SaveSceneIfAsked(*frame, "text");
  const Rect inside(10, 10, static_cast<int>(wider.Width), static_cast<int>(wider.Height));
  EXPECT_GT(CountDark(*frame, inside), 400);
  EXPECT_EQ(CountDark(*frame, Rect(0, 0, 260, 9)), 0);
  EXPECT_EQ(CountDark(*frame, Rect(static_cast<int>(10 + wider.Width) + 2, 0, 40, 110)), 0);

  // Without size-to-text the size stays where it was put.
  text->SetSizeToText(false);
  text->SetSize(SizeF(50, 50));
  text->SetText("longer text here");
  EXPECT_TRUE(text->GetSize().Equals(SizeF(50, 50)));
}

TEST(TextPaintTest, ShapeTextIsAFilledOutlineOfTheText) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  auto* logo = new CRSCanvasShapeText(PointF(10, 10), &root, "logo");
  logo->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(0xFF000000)));
  logo->SetFont("Times New Roman", 45, FontStyleItalic);
  logo->SetText("Ab");
  ASSERT_NE(logo->GetPath(), nullptr);
  EXPECT_TRUE(logo->GetAntiAliasFill());
  // The item takes the outline's own size, and the outline starts at (0, 0).
  RectF bounds;
  logo->GetPath()->GetBounds(&bounds);
  EXPECT_NEAR(bounds.X, 0, 0.01);
  EXPECT_NEAR(bounds.Y, 0, 0.01);
  EXPECT_TRUE(logo->GetSize().Equals(bounds.GetSize()));
  EXPECT_GT(bounds.Height, 25.0f);  // cap height of 60-pixel letters
  EXPECT_LT(bounds.Height, 60.0f);

  auto frame = Render(root, 120, 80);
  EXPECT_GT(CountDark(*frame, Rect(10, 10, static_cast<int>(bounds.Width), static_cast<int>(bounds.Height))), 200);
}

TEST(SoftSilhouetteTest, AnItemBecomesAnImageFiveLargerWithBoxSix) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  auto path = std::make_unique<Gdiplus::GraphicsPath>();
  path->AddRectangle(RectF(0, 0, 30, 20));
  auto* shape = new CRSCanvasShape(PointF(0, 0), nullptr, "shape", std::move(path));
  shape->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(0x88EEEEEE)));

  CRSCanvasImage* shadow = CreateShapeShadow(*shape, 6, 0x70000000, 0.9f, PointF(5, 5), &root, "silhouette");
  ASSERT_NE(shadow, nullptr);
  EXPECT_TRUE(shadow->GetSize().Equals(SizeF(35, 25)));
  const Gdiplus::Bitmap& picture = *shadow->GetImage();
  // Deep inside, every box holds 36 pixels of alpha 0x88:
  // min(255, 36·0x88·0.9/36) = 122, then 122·0x70 >> 8 = 53.
  EXPECT_EQ(Gdiplus::AlphaOf(picture.GetPixel(15, 12)), 53);
  EXPECT_EQ(Gdiplus::RedOf(picture.GetPixel(15, 12)), 0);
  // The first pixel sees one source pixel: 136·0.9/36 = 3.4 → 3 → 3·0x70>>8 = 1.
  EXPECT_EQ(Gdiplus::AlphaOf(picture.GetPixel(0, 0)), 1);
  shape->Delete();

  auto* empty = new CRSCanvasItem(PointF(), nullptr, "empty");
  EXPECT_EQ(CreateShapeShadow(*empty, 6, 0x70000000, 0.9f, PointF(), &root, "none"), nullptr);
  empty->Delete();
}

}  // namespace
