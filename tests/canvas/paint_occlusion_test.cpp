// What the paint walk leaves out under opaque pictures: nothing that shows.
// Each scene is painted twice, once over a 24-bit picture (which hides what
// lies under it) and once over the same picture with an alpha channel
// (which the walk never trusts to hide anything); the pixels must agree.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "canvas/items.h"
#include "item_test_support.h"
#include "platform/bitmap.h"
#include "platform/brush.h"
#include "platform/graphics_path.h"
#include "platform/image_attributes.h"

namespace {

// A filled rectangle that counts how often its content is painted.
class CountingShape : public CRSCanvasShape {
 public:
  CountingShape(CRSObject* parent, const RectF& r, ARGB colour, const std::string& name)
      : CRSCanvasShape(PointF(r.X, r.Y), parent, name) {
    auto path = std::make_unique<Gdiplus::GraphicsPath>();
    path->AddRectangle(RectF(0, 0, r.Width, r.Height));
    SetPath(std::move(path));
    AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(colour)));
  }
  void PaintContent(Gdiplus::Graphics& g, bool useCache) override {
    ++paints;
    CRSCanvasShape::PaintContent(g, useCache);
  }
  int paints = 0;
};

std::shared_ptr<Gdiplus::Bitmap> Stripes(int w, int h, PixelFormat format) {
  auto picture = std::make_shared<Gdiplus::Bitmap>(w, h, format);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) picture->SetPixel(x, y, 0xFF000000u | (x * 9 % 256) << 16 | (y * 5 % 256) << 8 | 0x40);
  return picture;
}

enum class Variant { kPlain, kTurned, kRecoloured };

// The scene is drawn twice its size, as large as a repaint must be for the
// walk to look for what hides what.
struct Scene {
  CRSCanvasItem root{PointF(), nullptr, "root"};
  CRSCanvasItem* stage = new CRSCanvasItem(PointF(), &root, "stage");
  CountingShape* floor;
  CountingShape* hidden;
  CountingShape* above;
  CountingShape* besideHolder;
  CountingShape* underHolder;

  Scene(PixelFormat format, Variant variant) {
    stage->SetCullByBounds(false);
    stage->SetScale(PointF(2.0f, 2.0f));
    floor = new CountingShape(stage, RectF(0, 0, 200, 120), 0xFF20A020u, "floor");
    hidden = new CountingShape(stage, RectF(62, 32, 30, 20), 0xFFFF0000u, "hidden");
    // Half under the picture, half beside it.
    new CountingShape(stage, RectF(20, 40, 60, 30), 0x80FFFF00u, "partly");
    besideHolder = new CountingShape(stage, RectF(192, 82, 6, 30), 0xFF0000FFu, "besideHolder");
    underHolder = new CountingShape(stage, RectF(156, 86, 20, 20), 0xFFFF00FFu, "underHolder");
    // Scaled and off the pixel grid, so its edge pixels are blended.
    auto* picture = new CRSCanvasImage(PointF(50.3f, 20.6f), stage, "picture", Stripes(100, 80, format));
    picture->SetScale(PointF(0.9f, 0.9f));
    if (variant == Variant::kTurned) picture->SetRotation(20.0f);
    if (variant == Variant::kRecoloured) {
      Gdiplus::ColorMatrix half = {};
      for (int i = 0; i < 5; ++i) half.m[i][i] = 1.0f;
      half.m[3][3] = 0.5f;
      picture->SetColorMatrix(half);
    }
    above = new CountingShape(stage, RectF(70, 50, 20, 20), 0xFF00FFFFu, "above");
    // A picture larger than the item that holds it covers only the holder.
    auto* holder = new CRSCanvasItem(PointF(150, 80), stage, "holder");
    holder->SetSize(SizeF(40, 40));
    new CRSCanvasImage(PointF(), holder, "heldPicture", Stripes(80, 80, format));
  }
};

TEST(PaintOcclusionTest, OnlyWhatAnOpaquePictureCoversIsLeftOutAndThePixelsStayTheSame) {
  Scene opaque(PixelFormat::Format24bppRGB, Variant::kPlain);
  Scene alpha(PixelFormat::Format32bppARGB, Variant::kPlain);
  const auto a = item_test::Render(opaque.root, 400, 240);
  const auto b = item_test::Render(alpha.root, 400, 240);
  item_test::SaveSceneIfAsked(*a, "paint_occlusion");
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 400; ++x) ASSERT_EQ(a->GetPixel(x, y), b->GetPixel(x, y)) << x << "," << y;

  EXPECT_EQ(opaque.hidden->paints, 0) << "wholly under the picture";
  EXPECT_EQ(opaque.underHolder->paints, 0) << "under the part of a picture its holder shows";
  EXPECT_EQ(opaque.floor->paints, 1) << "partly under: painted around the picture";
  EXPECT_EQ(opaque.above->paints, 1) << "painted after the picture";
  EXPECT_EQ(opaque.besideHolder->paints, 1) << "under the part of a picture its holder cuts off";
  for (CountingShape* s : {alpha.floor, alpha.hidden, alpha.above, alpha.besideHolder, alpha.underHolder})
    EXPECT_EQ(s->paints, 1) << s->GetName();
}

TEST(PaintOcclusionTest, TurnedOrRecolouredPicturesHideNothing) {
  for (Variant variant : {Variant::kTurned, Variant::kRecoloured}) {
    Scene opaque(PixelFormat::Format24bppRGB, variant);
    Scene alpha(PixelFormat::Format32bppARGB, variant);
    const auto a = item_test::Render(opaque.root, 400, 240);
    const auto b = item_test::Render(alpha.root, 400, 240);
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 400; ++x) ASSERT_EQ(a->GetPixel(x, y), b->GetPixel(x, y)) << x << "," << y;
    EXPECT_EQ(opaque.hidden->paints, 1);
    // The held picture is still upright and plain.
    EXPECT_EQ(opaque.underHolder->paints, 0);
  }
}

// A container that paints its children into a picture of its own and then
// shows the picture, as a group that keeps its painted children does.
class PictureGroup : public CRSCanvasItem {
 public:
  PictureGroup(const PointF& at, CRSObject* parent) : CRSCanvasItem(at, parent, "pictureGroup") {
    SetSize(SizeF(100, 100));
  }
  void Paint(Gdiplus::Graphics& g, int maxZ, bool useCache) override {
    Gdiplus::Bitmap picture(100, 100, PixelFormat::Format32bppARGB);
    {
      Gdiplus::Graphics pg(&picture);
      CRSCanvasItem::Paint(pg, maxZ, useCache);
    }
    g.DrawImage(&picture, PointF());
  }
};

TEST(PaintOcclusionTest, ChildrenPaintedIntoAPictureOfTheirOwnAreJudgedInThatPicture) {
  // In the group's own picture its child lies at (10, 10), where on the
  // window an opaque picture painted later lies; on the window the child
  // lies well away from it.
  CRSCanvasItem root(PointF(), nullptr, "root");
  auto* group = new PictureGroup(PointF(300, 120), &root);
  auto* child = new CountingShape(group, RectF(10, 10, 40, 40), 0xFFFF0000u, "child");
  new CRSCanvasImage(PointF(), &root, "picture", Stripes(200, 150, PixelFormat::Format24bppRGB));
  const auto frame = item_test::Render(root, 400, 240);
  EXPECT_EQ(child->paints, 1);
  EXPECT_EQ(frame->GetPixel(330, 150), 0xFFFF0000u);
}

}  // namespace
