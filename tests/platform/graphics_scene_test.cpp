// Renders one scene with most of the drawing features into
// graphics_scene.png in the test's working folder, for a person to look at,
// and checks a few of its pixels.
#include <cairo.h>
#include <gtest/gtest.h>

#include "platform/graphics.h"

namespace {

// One side of a jigsaw piece from (0,0) to (100,0), knob bulging to +y.
void AddKnobEdge(GraphicsPath* p, const Matrix& place) {
  GraphicsPath edge;
  edge.AddLine(0, 0, 23, 0);
  const PointF knob[12] = {{33, 0},      {38.666668f, 4.533333f}, {38.666668f, 8.5f}, {33, 11.333333f},
                           {33, 17},     {45, 22.666666f},        {55, 22.666666f},  {67, 17},
                           {67, 11.333333f}, {61.333332f, 8.5f},  {61.333332f, 4.533333f}, {67, 0}};
  edge.AddCurve(knob, 12, 0.5f);
  edge.AddLine(77, 0, 100, 0);
  edge.Transform(place);
  p->AddPath(&edge, true);
}

GraphicsPath PieceOutline(float size) {
  GraphicsPath p;
  const float s = size / 100.0f;
  Matrix top;
  top.Scale(s, -s);  // knob outward (up)
  AddKnobEdge(&p, top);
  Matrix right;
  right.Translate(size, 0);
  right.Rotate(90);
  right.Scale(s, s);
  AddKnobEdge(&p, right);
  p.AddLine(size, size, 0, size);
  p.AddLine(0, size, 0, 0);
  p.CloseFigure();
  return p;
}

TEST(GraphicsSceneTest, RichSceneRendersAndIsSaved) {
  Bitmap bmp(320, 200, PixelFormat::Format32bppARGB);
  Graphics g(&bmp);
  LinearGradientBrush back(RectF(0, 0, 320, 200), Color(0xFF203040), Color(0xFF608090),
                           Gdiplus::LinearGradientModeForwardDiagonal);
  g.FillRectangle(&back, RectF(0, 0, 320, 200));

  Bitmap tile(8, 8, PixelFormat::Format32bppARGB);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) tile.SetPixel(x, y, ((x / 4) ^ (y / 4)) ? 0xFFE0C080 : 0xFF806020);
  TextureBrush texture(&tile);
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  const GraphicsPath piece = PieceOutline(80);
  {
    GraphicsStateSaver saver(g);
    g.TranslateTransform(30, 40);
    g.FillPath(&texture, &piece);
    Pen outline(Color(0xFF000000), 1.5f);
    outline.SetLineJoin(Gdiplus::LineJoinRound);
    g.DrawPath(&outline, &piece);
  }
  {
    GraphicsStateSaver saver(g);
    g.TranslateTransform(200, 90);
    g.RotateTransform(30);
    SolidBrush shadow(0x80000000);
    g.FillPath(&shadow, &piece);
  }
  Font title("Times New Roman", 20, FontStyleBold);
  StringFormat centre;
  centre.SetAlignment(Gdiplus::StringAlignmentCenter);
  centre.SetHotkeyPrefix(Gdiplus::HotkeyPrefixShow);
  SolidBrush white(0xFFFFFFFF);
  g.DrawString("&Tandrill puzzles", &title, RectF(0, 150, 320, 40), &centre, &white);
  Pen dashed(Color(0xFFFFFF00), 2);
  dashed.SetDashStyle(Gdiplus::DashStyleDash);
  g.DrawEllipse(&dashed, RectF(230, 10, 80, 40));
  g.Flush();

  // The top knob sticks out above the square, the right side is a socket
  // cut into it; the square's own corner region is filled.
  const ARGB socket = bmp.GetPixel(30 + 80 - 10, 40 + 40);
  EXPECT_FALSE(socket == 0xFFE0C080 || socket == 0xFF806020);
  const ARGB knob = bmp.GetPixel(30 + 40, 40 - 12), corner = bmp.GetPixel(30 + 5, 40 + 75);
  const ARGB beside = bmp.GetPixel(30 + 12, 40 - 12);
  EXPECT_TRUE(knob == 0xFFE0C080 || knob == 0xFF806020);
  EXPECT_TRUE(corner == 0xFFE0C080 || corner == 0xFF806020);
  EXPECT_FALSE(beside == 0xFFE0C080 || beside == 0xFF806020);

  cairo_surface_t* s = bmp.GetSurface();
  EXPECT_EQ(CAIRO_STATUS_SUCCESS, cairo_surface_write_to_png(s, "graphics_scene.png"));
}

}  // namespace
