// Outlined texts of the same look share one picture. These tests compare the
// shared picture, painted from the distance to the outline, with the text
// painted directly by the library, and check that every difference of look
// gets a picture of its own.

#include "canvas/items/text_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "canvas/items.h"
#include "item_test_support.h"
#include "platform/brush.h"
#include "platform/pen.h"

namespace {

using item_test::Psnr;
using item_test::Render;

constexpr ARGB kWhite = 0xFFFFFFFF;

CRSCanvasShapeText* Text(CRSCanvasItem* parent, const PointF& at, const std::string& text, ARGB fill = 0xFFFFFFFF,
                         ARGB outline = 0x88000000) {
  auto* shape = new CRSCanvasShapeText(at, parent, "text");
  shape->SetFont("Arial", 20.0f, 1);
  shape->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(fill)));
  shape->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(outline), 1.0f));
  shape->SetText(text);
  return shape;
}

// The distance painter rounds corners by a share of a pixel, which the eye
// does not tell from the library's (about 44 dB for white texts with dark
// outlines); a misplaced or missing outline falls below 30.
constexpr double kAlike = 38.0;

// Paints the tree with each text painted straight from its outline: the
// reference the shared pictures must match.
std::unique_ptr<Gdiplus::Bitmap> RenderDirect(CRSCanvasItem& root, int w, int h) {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(w, h, PixelFormat::Format32bppARGB);
  Gdiplus::Graphics g(bitmap.get());
  g.Clear(Gdiplus::Color(0xFF3060A0u));
  for (CRSCanvasItem* child : root.GetChildItems()) {
    Gdiplus::GraphicsStateSaver saved(g);
    g.MultiplyTransform(&child->GetTransform());
    auto* shape = static_cast<CRSCanvasShapeText*>(child);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    for (int i = 0; i < shape->GetBrushCount(); ++i) g.FillPath(shape->GetBrush(i), shape->GetPath());
    for (int i = 0; i < shape->GetPenCount(); ++i) g.DrawPath(shape->GetPen(i), shape->GetPath());
  }
  return bitmap;
}

TEST(TextPicturesTest, TextsOfOneLookShareAPictureThatLooksLikeTheOutline) {
  text_pictures::Clear();
  CRSCanvasItem root(PointF(), nullptr, "root");
  // Twelve texts, three of them different: whole-pixel places share, a
  // place half a pixel off samples the edges anew.
  for (int i = 0; i < 10; ++i) Text(&root, PointF(10.0f + 30.0f * static_cast<float>(i % 5), 10.0f + 40.0f * (i / 5)), "12%");
  Text(&root, PointF(10.5f, 100.0f), "12%");
  Text(&root, PointF(60.0f, 100.0f), "13%");
  const int builds = text_pictures::BuildCount();
  const auto shared = Render(root, 200, 140, 0xFF3060A0u);
  EXPECT_EQ(text_pictures::BuildCount() - builds, 3);
  EXPECT_EQ(text_pictures::KeptCount(), 3u);
  EXPECT_GT(Psnr(*shared, *RenderDirect(root, 200, 140)), kAlike);

  // Painting again builds nothing; off-screen paints (a glow's) share too.
  const int hits = text_pictures::HitCount();
  Render(root, 200, 140, kWhite, false);
  EXPECT_EQ(text_pictures::BuildCount() - builds, 3);
  EXPECT_EQ(text_pictures::HitCount() - hits, 12);
}

TEST(TextPicturesTest, EveryDifferenceOfLookShowsAtOnce) {
  text_pictures::Clear();
  CRSCanvasItem root(PointF(), nullptr, "root");
  CRSCanvasShapeText* first = Text(&root, PointF(10, 10), "0%", 0xFFFFFFFF);
  CRSCanvasShapeText* second = Text(&root, PointF(10, 50), "0%", 0xFF00FF00);
  auto matches = [&] { return Psnr(*Render(root, 120, 100, 0xFF3060A0u), *RenderDirect(root, 120, 100)); };
  EXPECT_GT(matches(), kAlike) << "another fill colour";
  EXPECT_EQ(text_pictures::KeptCount(), 2u);

  second->SetPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(0xFFFF0000u), 3.0f), 0);
  EXPECT_GT(matches(), kAlike) << "another pen";
  second->SetText("0");
  EXPECT_GT(matches(), kAlike) << "another text";
  // A scaled text is kept at its size on screen, not stretched.
  first->SetScale(PointF(1.5f, 1.5f));
  EXPECT_GT(matches(), kAlike) << "a scaled text";
  const int builds = text_pictures::BuildCount();
  first->SetScale(PointF(1.0f, 1.0f));
  Render(root, 120, 100);
  EXPECT_EQ(text_pictures::BuildCount(), builds) << "the unscaled picture was still kept";

  // A turned text is painted as it is, never from a picture.
  first->SetRotation(30.0f);
  const int kept = static_cast<int>(text_pictures::KeptCount());
  const int hits = text_pictures::HitCount();
  Render(root, 120, 100);
  EXPECT_EQ(static_cast<int>(text_pictures::KeptCount()), kept);
  EXPECT_EQ(text_pictures::HitCount() - hits, 1) << "only the other text";
}

TEST(TextPicturesTest, KeptPicturesStayWithinTheirBudget) {
  text_pictures::Clear();
  CRSCanvasItem root(PointF(), nullptr, "root");
  // Far more distinct numbers than fit: the oldest pictures go, the ones in
  // use are painted correctly all the same.
  CRSCanvasShapeText* text = Text(&root, PointF(5, 5), "");
  for (int i = 0; i < 6000; ++i) {
    text->SetText(std::to_string(i));
    Render(root, 60, 40);
  }
  EXPECT_LT(text_pictures::KeptCount(), 6000u);
  EXPECT_GT(text_pictures::KeptCount(), 100u);
  text->SetText("5999");
  EXPECT_GT(Psnr(*Render(root, 80, 40, 0xFF3060A0u), *RenderDirect(root, 80, 40)), kAlike);
  text_pictures::Clear();
  EXPECT_EQ(text_pictures::KeptCount(), 0u);
}

TEST(TextPicturesTest, OutlinesAreLaidOutOnceAndCopiedAsAddStringWouldMakeThem) {
  const Gdiplus::FontFamily arial("Arial");
  Gdiplus::StringFormat centred;
  centred.SetAlignment(Gdiplus::StringAlignmentCenter);
  auto direct = [&](const std::string& text, float size, const RectF& layout, const Gdiplus::StringFormat& format) {
    Gdiplus::GraphicsPath path;
    path.AddString(text, &arial, 1, size, layout, &format);
    return path;
  };
  auto same = [](const Gdiplus::GraphicsPath& a, const Gdiplus::GraphicsPath& b) {
    return a.Points().size() == b.Points().size() && a.Types() == b.Types() &&
           std::equal(a.Points().begin(), a.Points().end(), b.Points().begin(),
                      [](const PointF& p, const PointF& q) { return p.X == q.X && p.Y == q.Y; });
  };
  const int builds = text_pictures::OutlineBuildCount();
  auto first = text_pictures::Outline("27%", arial, 1, 26.0f, RectF(), centred);
  auto again = text_pictures::Outline("27%", arial, 1, 26.0f, RectF(), centred);
  EXPECT_EQ(text_pictures::OutlineBuildCount() - builds, 1);
  EXPECT_NE(first.get(), again.get()) << "each shape owns its copy";
  EXPECT_TRUE(same(*again, direct("27%", 26.0f, RectF(), centred)));
  // Changing the copy (a shape stretches its path) leaves the kept outline.
  Gdiplus::Matrix stretch;
  stretch.Scale(2.0f, 2.0f);
  first->Transform(&stretch);
  EXPECT_TRUE(same(*text_pictures::Outline("27%", arial, 1, 26.0f, RectF(), centred), *again));

  // Any other argument lays the text out anew, and as AddString would.
  Gdiplus::StringFormat trimmed;
  trimmed.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
  trimmed.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
  const RectF box(0, 0, 40, 30);
  EXPECT_TRUE(same(*text_pictures::Outline("A long title", arial, 1, 20.0f, box, trimmed),
                   direct("A long title", 20.0f, box, trimmed)));
  EXPECT_TRUE(same(*text_pictures::Outline("27%", arial, 1, 27.0f, RectF(), centred),
                   direct("27%", 27.0f, RectF(), centred)));
  EXPECT_EQ(text_pictures::OutlineBuildCount() - builds, 3);
}

}  // namespace
