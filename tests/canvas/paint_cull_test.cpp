// A small repaint skips children by what their parent keeps of them, without
// reading the children. Every way a child can come into the repainted area
// must therefore reach that list: a stale entry would leave the child out.

#include <gtest/gtest.h>

#include <memory>

#include "canvas/items.h"
#include "item_test_support.h"
#include "platform/graphics_path.h"
#include "platform/pen.h"

namespace {

using item_test::SolidPicture;

constexpr ARGB kRed = 0xFFFF0000u;
constexpr ARGB kWhite = 0xFFFFFFFFu;

// Paints only a 10 x 10 box of the tree at (200, 200), as a small repaint
// does, and returns the pixel in its middle.
ARGB PaintedAtProbe(CRSCanvasItem& root) {
  Gdiplus::Bitmap bitmap(300, 300, PixelFormat::Format32bppARGB);
  Gdiplus::Graphics g(&bitmap);
  g.Clear(Gdiplus::Color(kWhite));
  g.SetClip(RectF(200, 200, 10, 10));
  root.Paint(g, CRSCanvasItem::kZOrderTop, true);
  g.Flush();
  return bitmap.GetPixel(205, 205);
}

TEST(PaintCullTest, EveryChangeThatBringsAChildIntoASmallRepaintIsSeen) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  root.SetSize(SizeF(300, 300));
  // Many bystanders, so the list is long and its entries are kept.
  for (int i = 0; i < 50; ++i) new CRSCanvasImage(PointF(5.0f * i, 5), &root, "", SolidPicture(4, 4, 0xFF0000FFu));
  auto* image = new CRSCanvasImage(PointF(10, 60), &root, "image", SolidPicture(20, 20, kRed));
  EXPECT_EQ(PaintedAtProbe(root), kWhite);

  image->SetPosition(PointF(195, 195));  // moved in
  EXPECT_EQ(PaintedAtProbe(root), kRed);
  image->SetVisible(false);
  EXPECT_EQ(PaintedAtProbe(root), kWhite);
  image->SetVisible(true);
  EXPECT_EQ(PaintedAtProbe(root), kRed);
  image->SetPosition(PointF(10, 60));
  EXPECT_EQ(PaintedAtProbe(root), kWhite);

  // Grown until it reaches the probe.
  image->SetImage(SolidPicture(200, 200, kRed), true);
  EXPECT_EQ(PaintedAtProbe(root), kRed);
  image->SetImage(SolidPicture(20, 20, kRed), true);
  EXPECT_EQ(PaintedAtProbe(root), kWhite);

  // A group's extent follows its children: a grandchild moved into the
  // probe widens the group, whose own entry must follow.
  auto* group = new CRSCanvasGroup(PointF(100, 100), &root, "group");
  auto* inner = new CRSCanvasImage(PointF(0, 0), group, "inner", SolidPicture(20, 20, kRed));
  EXPECT_EQ(PaintedAtProbe(root), kWhite);
  inner->SetPosition(PointF(95, 95));
  EXPECT_EQ(PaintedAtProbe(root), kRed);
  inner->SetPosition(PointF(0, 0));
  // Nested groups too, and a child added to one.
  auto* nested = new CRSCanvasGroup(PointF(0, 0), group, "nested");
  auto* deep = new CRSCanvasImage(PointF(0, 0), nested, "deep", SolidPicture(10, 10, kRed));
  EXPECT_EQ(PaintedAtProbe(root), kWhite);
  deep->SetPosition(PointF(102, 102));
  EXPECT_EQ(PaintedAtProbe(root), kRed);
  deep->SetVisible(false);
  EXPECT_EQ(PaintedAtProbe(root), kWhite);
  new CRSCanvasImage(PointF(100, 100), nested, "late", SolidPicture(10, 10, kRed));
  EXPECT_EQ(PaintedAtProbe(root), kRed);
  nested->SetVisible(false);

  // A wider pen grows a shape's rectangle by half its width.
  auto* shape = new CRSCanvasShape(PointF(150, 180), &root, "shape");
  shape->SetFitPath(false);
  auto path = std::make_unique<Gdiplus::GraphicsPath>();
  path->AddRectangle(RectF(0, 0, 40, 40));
  shape->SetPath(std::move(path));
  shape->SetSize(SizeF(40, 40));
  shape->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(kRed), 1.0f));
  EXPECT_EQ(PaintedAtProbe(root), kWhite);
  shape->SetPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(kRed), 44.0f), 0);
  EXPECT_EQ(PaintedAtProbe(root), kRed);
  shape->RemovePen(0);
  EXPECT_EQ(PaintedAtProbe(root), kWhite);

  // A child that moved to another parent and back is listed afresh.
  image->SetParent(group);
  image->SetParent(&root);
  image->SetPosition(PointF(195, 195));
  EXPECT_EQ(PaintedAtProbe(root), kRed);
}

// Counts its paints and paints itself red.
class CountingItem : public CRSCanvasItem {
 public:
  CountingItem(CRSCanvasItem* parent, const RectF& rect) : CRSCanvasItem(PointF(rect.X, rect.Y), parent, "counting") {
    SetDrawsItself(true);
    SetSize(SizeF(rect.Width, rect.Height));
  }
  void PaintContent(Gdiplus::Graphics& g, bool) override {
    ++paints;
    Gdiplus::SolidBrush red{Gdiplus::Color(kRed)};
    g.FillRectangle(&red, GetLocalRect());
  }
  int paints = 0;
};

// Among many children, one wholly under opaque pictures painted after it
// (two side by side, neither enough alone) is left out, and so is a
// grandchild under them; one that peeks out from under them, and one whose
// pre-paint slot may reshape it, are painted.
TEST(PaintCullTest, WhatOpaqueSiblingsHideIsLeftOutAndWhatPeeksOutIsNot) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  root.SetSize(SizeF(300, 300));
  auto* hidden = new CountingItem(&root, RectF(40, 40, 60, 20));
  auto* reshaping = new CountingItem(&root, RectF(40, 40, 60, 20));
  reshaping->SetPrePaintNotification(true);
  auto* peeking = new CountingItem(&root, RectF(40, 100, 60, 30));
  // A group that shows in part: its child under the covers is left out too.
  auto* group = new CRSCanvasGroup(PointF(), &root, "group");
  auto* hiddenInGroup = new CountingItem(group, RectF(45, 45, 20, 10));
  auto* shownInGroup = new CountingItem(group, RectF(200, 200, 10, 10));
  auto opaque = std::make_shared<Gdiplus::Bitmap>(40, 40, PixelFormat::Format24bppRGB);
  for (const PointF& at : {PointF(30, 30), PointF(70, 30), PointF(30, 80), PointF(70, 80)})
    new CRSCanvasImage(at, &root, "cover", opaque);
  for (int i = 0; i < 16; ++i) new CRSCanvasImage(PointF(10.0f * i, 250), &root, "", SolidPicture(4, 4, kWhite));
  Gdiplus::Bitmap bitmap(300, 300, PixelFormat::Format32bppARGB);
  Gdiplus::Graphics g(&bitmap);
  root.Paint(g, CRSCanvasItem::kZOrderTop, true);
  g.Flush();
  EXPECT_EQ(hidden->paints, 0);
  EXPECT_EQ(reshaping->paints, 1);
  EXPECT_EQ(peeking->paints, 1);
  EXPECT_EQ(hiddenInGroup->paints, 0);
  EXPECT_EQ(shownInGroup->paints, 1);
  EXPECT_EQ(bitmap.GetPixel(60, 125), kRed);
}

}  // namespace
