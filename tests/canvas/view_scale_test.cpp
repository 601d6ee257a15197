// The view on a dense screen: the window and its pixels are the root's size
// times the scale, input maps back to units, and controls are drawn from
// their vectors at the screen's density, not enlarged from a small picture.

#include <cmath>
#include <vector>

#include "controls_test_support.h"
#include "platform/bitmap.h"
#include "platform/display_scale.h"
#include "platform/graphics.h"

namespace {

using control_test::Counter;

// The control scene of a chosen device scale.
class ScaledScene : public control_test::ControlScene {
 public:
  explicit ScaledScene(float scale) : m_scale(scale) {}
  void TestBody() override {}
  using ControlScene::Deliver;
  using ControlScene::root;
  using ControlScene::view;
  void SetUp() override {
    platform::SetDisplayScale(m_scale);
    ControlScene::SetUp();
  }
  void TearDown() override {
    ControlScene::TearDown();
    platform::SetDisplayScale(1.0f);
  }
  // A press and release at a window pixel.
  void ClickDevice(int x, int y) {
    Send(platform::kMsgMouseMove, 0, static_cast<float>(x), static_cast<float>(y));
    Send(platform::kMsgLButtonDown, platform::kKeyStateLButton, static_cast<float>(x), static_cast<float>(y));
    Send(platform::kMsgLButtonUp, 0, static_cast<float>(x), static_cast<float>(y));
  }
  // The grey levels of the back buffer, painted whole.
  std::vector<float> Grey(int& width, int& height) {
    const Size client = view.GetWindow()->GetClientSize();
    view.PaintTo(Rect(0, 0, client.Width, client.Height));
    width = client.Width;
    height = client.Height;
    std::vector<float> grey;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) grey.push_back(GreyOf(view.GetBackBuffer()->GetPixel(x, y)));
    return grey;
  }
  static float GreyOf(ARGB c) { return ((c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF)) / 3.0f; }

  float m_scale;
};

// How steep the picture's edges are: the mean squared step between
// neighbouring pixels, across and down.
double Steepness(const std::vector<float>& grey, int w, int h) {
  double sum = 0.0;
  for (int y = 0; y + 1 < h; ++y)
    for (int x = 0; x + 1 < w; ++x) {
      const float here = grey[y * w + x];
      sum += std::pow(grey[y * w + x + 1] - here, 2) + std::pow(grey[(y + 1) * w + x] - here, 2);
    }
  return sum / (static_cast<double>(w) * h);
}

TEST(ViewScale, WindowAndInputAreInDevicePixelsAndTheRootInUnits) {
  for (const float scale : {1.5f, 2.0f}) {
    SCOPED_TRACE(scale);
    ScaledScene scene(scale);
    scene.SetUp();
    EXPECT_EQ(scene.view.GetWindow()->GetClientSize(),
              Size(static_cast<int>(400 * scale), static_cast<int>(300 * scale)));
    EXPECT_TRUE(scene.root->GetSize().Equals(SizeF(400, 300))) << "units stay units";
    auto* button = new CRSControlButton(PointF(200, 150), scene.root, "ok", SizeF(80, 0), "&Ok");
    Counter clicks;
    button->sigClicked.connect(&clicks, &Counter::On);
    const RectF r = button->GetBoundsIn(nullptr);
    // Just inside the button's right edge in device pixels, then just
    // outside it: a click maps back to the unit it lies on.
    scene.ClickDevice(static_cast<int>((r.GetRight() - 2) * scale), static_cast<int>((r.Y + 5) * scale));
    scene.Deliver();
    EXPECT_EQ(clicks.count, 1);
    scene.ClickDevice(static_cast<int>((r.GetRight() + 2) * scale), static_cast<int>((r.Y + 5) * scale));
    scene.Deliver();
    EXPECT_EQ(clicks.count, 1);
    // Growing the window keeps the root in units.
    scene.view.GetWindow()->ResizeTo(static_cast<int>(500 * scale), static_cast<int>(350 * scale));
    EXPECT_NEAR(scene.root->GetSize().Width, 500.0f, 0.5f);
    EXPECT_NEAR(scene.root->GetSize().Height, 350.0f, 0.5f);
    scene.TearDown();
  }
}

TEST(ViewScale, ControlsAtScaleTwoAreSharperThanTheirScaleOneDrawingEnlarged) {
  auto draw = [](float scale, int& w, int& h) {
    ScaledScene scene(scale);
    scene.SetUp();
    new CRSControlButton(PointF(20, 20), scene.root, "ok", SizeF(120, 0), "&Sharp edges");
    new CRSCheckBox(PointF(20, 70), scene.root, "check", "A check box");
    std::vector<float> grey = scene.Grey(w, h);
    scene.TearDown();
    return grey;
  };
  int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
  const std::vector<float> one = draw(1.0f, w1, h1);
  const std::vector<float> two = draw(2.0f, w2, h2);
  ASSERT_EQ(w2, 2 * w1);
  ASSERT_EQ(h2, 2 * h1);
  // The scale-1 drawing enlarged, as a screen that scales the window would.
  Gdiplus::Bitmap small(w1, h1, PixelFormat::Format32bppARGB), large(w2, h2, PixelFormat::Format32bppARGB);
  for (int y = 0; y < h1; ++y)
    for (int x = 0; x < w1; ++x) {
      const auto v = static_cast<std::uint32_t>(one[y * w1 + x]);
      small.SetPixel(x, y, 0xFF000000u | v << 16 | v << 8 | v);
    }
  {
    Gdiplus::Graphics g(&large);
    g.SetInterpolationMode(Gdiplus::InterpolationModeBilinear);
    g.DrawImage(&small, RectF(0, 0, static_cast<float>(w2), static_cast<float>(h2)), 0, 0, static_cast<float>(w1),
                static_cast<float>(h1), Gdiplus::UnitPixel);
  }
  std::vector<float> enlarged;
  for (int y = 0; y < h2; ++y)
    for (int x = 0; x < w2; ++x) enlarged.push_back(ScaledScene::GreyOf(large.GetPixel(x, y)));
  // Same layout: every 2 x 2 block of the dense drawing averages to about
  // the scale-1 pixel under it.
  double apart = 0.0;
  for (int y = 0; y < h1; ++y)
    for (int x = 0; x < w1; ++x) {
      const float block = (two[2 * y * w2 + 2 * x] + two[2 * y * w2 + 2 * x + 1] + two[(2 * y + 1) * w2 + 2 * x] +
                           two[(2 * y + 1) * w2 + 2 * x + 1]) / 4.0f;
      apart += std::fabs(block - one[y * w1 + x]);
    }
  EXPECT_LT(apart / (w1 * h1), 6.0) << "the dense drawing must show the same controls in the same places";
  // Sharper: its edges step from one pixel to the next where the enlarged
  // copy spreads each step over two.
  EXPECT_GT(Steepness(two, w2, h2), 1.6 * Steepness(enlarged, w2, h2));
}

}  // namespace
