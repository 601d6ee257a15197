// Shapes that hold still are repainted from a picture kept at device
// resolution. These tests compare it with the shape painted directly and
// check that every kind of change shows at once instead of a stale picture.

#include <gtest/gtest.h>

#include <memory>

#include <functional>

#include "canvas/items.h"
#include "canvas/items/paint_layer.h"
#include "item_test_support.h"

namespace {

using item_test::Differences;
using item_test::Render;

constexpr ARGB kWhite = 0xFFFFFFFF, kBlue = 0xFF0000FF, kRed = 0xFFFF0000, kGreen = 0xFF00FF00;

std::unique_ptr<Gdiplus::GraphicsPath> Ellipse(float w, float h) {
  auto path = std::make_unique<Gdiplus::GraphicsPath>();
  path->AddEllipse(RectF(0, 0, w, h));
  return path;
}

TEST(ShapeLayerTest, StillShapesRepaintFromTheirLayerAndLookTheSame) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  auto* shape = new CRSCanvasShape(PointF(10.3f, 12.6f), &root, "shape", Ellipse(50, 30));
  shape->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(0x800000FFu)));
  shape->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(0xC0FF0000u), 3.0f));
  shape->SetAntiAliasFill(true);
  shape->SetRotation(20);
  const auto direct = Render(root, 90, 70, kWhite, false);

  // The first two paints of a new look are direct; the third builds the
  // layer.
  Render(root, 90, 70);
  Render(root, 90, 70);
  EXPECT_EQ(shape->GetLayerBuildCount(), 0);
  Render(root, 90, 70);
  const auto layered = Render(root, 90, 70);
  EXPECT_EQ(shape->GetLayerBuildCount(), 1);
  EXPECT_EQ(shape->GetLayerDrawCount(), 2);
  // Blending through the layer may round a level differently, no more.
  EXPECT_EQ(Differences(*direct, *layered, 2), 0);

  // Moving by whole pixels keeps the layer; the picture moves along.
  shape->MoveBy(PointF(7, -3));
  auto moved = Render(root, 90, 70);
  EXPECT_EQ(shape->GetLayerBuildCount(), 1);
  EXPECT_EQ(Differences(*Render(root, 90, 70, kWhite, false), *moved, 2), 0);
  // A move by part of a pixel samples the edges anew.
  shape->MoveBy(PointF(0.5f, 0));
  for (int i = 0; i < 3; ++i) Render(root, 90, 70);
  EXPECT_EQ(shape->GetLayerBuildCount(), 2);
}

TEST(ShapeLayerTest, EveryChangeOfLookShowsAtOnce) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  auto path = std::make_unique<Gdiplus::GraphicsPath>();
  path->AddRectangle(RectF(0, 0, 40, 20));
  auto* shape = new CRSCanvasShape(PointF(10, 10), &root, "shape", std::move(path));
  shape->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(kBlue)));
  auto still = [&] {
    Render(root, 80, 60);
    Render(root, 80, 60);
    return Render(root, 80, 60);
  };
  ASSERT_EQ(still()->GetPixel(30, 20), kBlue);
  ASSERT_GE(shape->GetLayerDrawCount(), 1);

  // A brush replaced in place.
  shape->SetBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(kGreen)), 0);
  EXPECT_EQ(Render(root, 80, 60)->GetPixel(30, 20), kGreen);
  // A pen added, then replaced.
  still();
  shape->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(kRed), 2.0f));
  EXPECT_EQ(Render(root, 80, 60)->GetPixel(30, 10), kRed);
  still();
  shape->SetPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(kBlue), 2.0f), 0);
  EXPECT_EQ(Render(root, 80, 60)->GetPixel(30, 10), kBlue);
  // The size stretches the path.
  still();
  shape->SetSize(SizeF(60, 40));
  EXPECT_EQ(Render(root, 80, 60)->GetPixel(60, 40), kGreen);
  // A new path.
  still();
  auto small = std::make_unique<Gdiplus::GraphicsPath>();
  small->AddRectangle(RectF(0, 0, 10, 10));
  shape->SetFitPath(false);
  shape->SetPath(std::move(small));
  EXPECT_EQ(Render(root, 80, 60)->GetPixel(50, 35), kWhite);
  // The brush removed.
  still();
  shape->RemoveBrush(0);
  EXPECT_EQ(Render(root, 80, 60)->GetPixel(15, 15), kWhite);
}

TEST(ShapeLayerTest, AWindowFaceKeepsItsCornersAndItsOpaqueMiddle) {
  // A window-sized face with rounded corners: its layer is split into the
  // opaque rows and the rows with transparent corners.
  CRSCanvasItem root(PointF(), nullptr, "root");
  auto path = std::make_unique<Gdiplus::GraphicsPath>();
  path->AddArc(0, 0, 40, 40, 180, 90);
  path->AddArc(260, 0, 40, 40, 270, 90);
  path->AddArc(260, 160, 40, 40, 0, 90);
  path->AddArc(0, 160, 40, 40, 90, 90);
  path->CloseFigure();
  auto* face = new CRSCanvasShape(PointF(), &root, "face", std::move(path));
  face->AddBrush(std::make_shared<Gdiplus::LinearGradientBrush>(PointF(0, 0), PointF(300, 200),
                                                                 Gdiplus::Color(kBlue), Gdiplus::Color(kGreen)));
  face->SetAntiAliasFill(true);
  const auto direct = Render(root, 300, 200, kRed, false);
  Render(root, 300, 200, kRed);
  Render(root, 300, 200, kRed);
  const auto layered = Render(root, 300, 200, kRed);
  ASSERT_EQ(face->GetLayerBuildCount(), 1);
  EXPECT_EQ(Differences(*direct, *layered, 2), 0);
  EXPECT_EQ(layered->GetPixel(1, 1), kRed);      // outside the rounded corner
  EXPECT_EQ(layered->GetPixel(298, 198), kRed);  // and the opposite one
}

TEST(PaintLayerTest, OnlyTheTilesThatHoldSomethingAreKeptAndTheyPaintTheSamePixels) {
  struct Case {
    const char* what;
    std::function<void(Gdiplus::Graphics&)> paint;
    int fewestPieces, mostPieces;
  };
  Gdiplus::Pen border(Gdiplus::Color(0xC0202080u), 1.0f);
  Gdiplus::SolidBrush solid(Gdiplus::Color(0xFF40A040u)), glass(Gdiplus::Color(0x6040A040u));
  const Case cases[] = {
      // A window's border: a strip along each edge, the middle left out.
      {"border", [&](Gdiplus::Graphics& g) { g.DrawRectangle(&border, RectF(0.5f, 0.5f, 599, 399)); }, 4, 4},
      // An opaque half beside a see-through one: the opaque tiles, the
      // see-through ones, and the column of tiles where they meet.
      {"halves",
       [&](Gdiplus::Graphics& g) {
         g.FillRectangle(&solid, RectF(0, 0, 300, 400));
         g.FillRectangle(&glass, RectF(300, 0, 300, 400));
       },
       3, 6},
      // Dots far apart would make more pieces than they are worth.
      {"dots",
       [&](Gdiplus::Graphics& g) {
         for (int y = 10; y < 400; y += 64)
           for (int x = 10; x < 600; x += 64) g.FillRectangle(&glass, RectF(x, y, 2, 2));
       },
       1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Gdiplus::Bitmap direct(600, 400, PixelFormat::Format24bppRGB), layered(600, 400, PixelFormat::Format24bppRGB);
    CRSPaintLayer layer;
    for (Gdiplus::Bitmap* b : {&direct, &layered}) {
      for (int i = 0; i < 3; ++i) {
        Gdiplus::Graphics g(b);
        g.Clear(Gdiplus::Color(0xFFFFFFFFu));
        g.FillRectangle(&glass, RectF(30, 30, 400, 300));  // something below to blend over
        if (b == &direct || !layer.Paint(g, RectF(0, 0, 600, 400), 1, c.paint)) c.paint(g);
        g.Flush();
      }
    }
    EXPECT_EQ(layer.GetBuildCount(), 1);
    EXPECT_GE(layer.GetPieceCount(), c.fewestPieces);
    EXPECT_LE(layer.GetPieceCount(), c.mostPieces);
    EXPECT_EQ(Differences(direct, layered, 0), 0);
  }
}

}  // namespace
