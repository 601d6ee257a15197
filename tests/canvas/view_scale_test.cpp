// The view on a dense screen: the window and its pixels are the root's size
// times the scale, input maps back to units, and controls are drawn from
// their vectors at the screen's density, not enlarged from a small picture.

#include <cmath>
#include <memory>
#include <vector>

#include "canvas/glow.h"
#include "controls_test_support.h"
#include "item_test_support.h"
#include "platform/bitmap.h"
#include "platform/brush.h"
#include "platform/display_scale.h"
#include "platform/graphics.h"
#include "platform/graphics_path.h"

namespace {

// The control scene at a chosen device scale.
class ScaledScene : public control_test::ControlScene {
 public:
  explicit ScaledScene(float scale) {
    platform::SetDisplayScale(scale);
    ControlScene::SetUp();
  }
  ~ScaledScene() override {
    ControlScene::TearDown();
    platform::SetDisplayScale(1.0f);
  }
  void TestBody() override {}
  using ControlScene::Deliver;
  using ControlScene::root;
  using ControlScene::view;
  void ClickDevice(float x, float y) {
    for (unsigned m : {platform::kMsgMouseMove, platform::kMsgLButtonDown, platform::kMsgLButtonUp})
      Send(m, m == platform::kMsgLButtonDown ? platform::kKeyStateLButton : 0, x, y);
  }
  // The back buffer, painted whole.
  const Gdiplus::Bitmap& Paint() {
    const Size client = view.GetWindow()->GetClientSize();
    view.PaintTo(Rect(0, 0, client.Width, client.Height));
    return *view.GetBackBuffer();
  }
};

float Grey(const Gdiplus::Bitmap& b, int x, int y) {
  const ARGB c = b.GetPixel(x, y);
  return ((c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF)) / 3.0f;
}

// How steep the picture's edges are: the mean squared step between
// neighbouring pixels, across and down.
double Steepness(const Gdiplus::Bitmap& b, int w, int h) {
  double sum = 0.0;
  for (int y = 0; y + 1 < h; ++y)
    for (int x = 0; x + 1 < w; ++x)
      sum += std::pow(Grey(b, x + 1, y) - Grey(b, x, y), 2) + std::pow(Grey(b, x, y + 1) - Grey(b, x, y), 2);
  return sum / (static_cast<double>(w) * h);
}

TEST(ViewScale, WindowAndInputAreInDevicePixelsAndTheRootInUnits) {
  for (const float scale : {1.5f, 2.0f}) {
    SCOPED_TRACE(scale);
    ScaledScene scene(scale);
    EXPECT_EQ(scene.view.GetWindow()->GetClientSize(),
              Size(static_cast<int>(400 * scale), static_cast<int>(300 * scale)));
    EXPECT_TRUE(scene.root->GetSize().Equals(SizeF(400, 300))) << "units stay units";
    auto* button = new CRSControlButton(PointF(200, 150), scene.root, "ok", SizeF(80, 0), "&Ok");
    control_test::Counter clicks;
    button->sigClicked.connect(&clicks, &control_test::Counter::On);
    // Just inside the button's right edge in device pixels, then just
    // outside it: a click maps back to the unit it lies on.
    const RectF r = button->GetBoundsIn(nullptr);
    for (const float x : {r.GetRight() - 2, r.GetRight() + 2}) scene.ClickDevice(x * scale, (r.Y + 5) * scale);
    scene.Deliver();
    EXPECT_EQ(clicks.count, 1);
    scene.view.GetWindow()->ResizeTo(static_cast<int>(500 * scale), static_cast<int>(350 * scale));
    EXPECT_NEAR(scene.root->GetSize().Width, 500.0f, 0.5f) << "a grown window keeps the root in units";
  }
}

TEST(ViewScale, ControlsAtScaleTwoAreSharperThanTheirScaleOneDrawingEnlarged) {
  auto draw = [](float scale) {
    ScaledScene scene(scale);
    new CRSControlButton(PointF(20, 20), scene.root, "ok", SizeF(120, 0), "&Sharp edges");
    new CRSCheckBox(PointF(20, 70), scene.root, "check", "A check box");
    return scene.Paint().Clone();
  };
  const std::unique_ptr<Gdiplus::Bitmap> one = draw(1.0f), two = draw(2.0f);
  ASSERT_TRUE(one && two);
  const Gdiplus::Bitmap &small = *one, &dense = *two;
  const int w = 400, h = 300;
  // The scale-1 drawing enlarged, as a screen that scales the window would.
  Gdiplus::Bitmap enlarged(2 * w, 2 * h, PixelFormat::Format24bppRGB);
  {
    Gdiplus::Graphics g(&enlarged);
    g.SetInterpolationMode(Gdiplus::InterpolationModeBilinear);
    g.DrawImage(&small, RectF(0, 0, 2.0f * w, 2.0f * h), 0, 0, w, h, Gdiplus::UnitPixel);
  }
  // Same layout: every 2 x 2 block of the dense drawing averages to about
  // the scale-1 pixel under it.
  double apart = 0.0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      apart += std::fabs((Grey(dense, 2 * x, 2 * y) + Grey(dense, 2 * x + 1, 2 * y) + Grey(dense, 2 * x, 2 * y + 1) +
                          Grey(dense, 2 * x + 1, 2 * y + 1)) / 4.0f - Grey(small, x, y));
  EXPECT_LT(apart / (w * h), 6.0) << "the dense drawing must show the same controls in the same places";
  // Sharper: its edges step from one pixel to the next where the enlarged
  // copy spreads each step over two.
  EXPECT_GT(Steepness(dense, 2 * w, 2 * h), 1.6 * Steepness(enlarged, 2 * w, 2 * h));
}

TEST(ViewScale, GlowsAreMadeAtTheDensityOfWhatTheyFollowAndShowAtTheSameSize) {
  auto path = std::make_unique<Gdiplus::GraphicsPath>();
  path->AddRectangle(RectF(0, 0, 40, 30));
  CRSCanvasShape shape(PointF(), nullptr, "shape", std::move(path));
  shape.AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(0xFF000000u)));
  CRSCanvasImage piece(PointF(), nullptr, "piece", item_test::SolidPicture(40, 30, 0xFF000000u));
  for (const float scale : {1.0f, 2.0f}) {
    platform::SetDisplayScale(scale);
    // A painted item at the screen's density, a plain picture at its own.
    const auto drawn = RenderGlow(shape, 8, 0x80000000u, 1.0f), plain = RenderGlow(piece, 8, 0x80000000u, 1.0f);
    ASSERT_TRUE(drawn && plain);
    EXPECT_EQ(drawn->GetHorizontalResolution(), 96.0f * scale);
    EXPECT_EQ(plain->GetHorizontalResolution(), 96.0f);
    EXPECT_NEAR(drawn->GetUnitWidth(), 47.0f, 1.0f);
    EXPECT_NEAR(plain->GetUnitWidth(), 47.0f, 1.0f);
  }
  platform::SetDisplayScale(1.0f);
}

}  // namespace
