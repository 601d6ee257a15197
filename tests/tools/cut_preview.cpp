// tandrill_cut_preview: draws, for each of the eight edge shapes, a test
// picture with its cut outline on the left and the same picture laid out as
// pieces on the right, one piece pulled out of its place. A tool for looking
// at the shapes, not part of the game.
//
//   tandrill_cut_preview OUTPUT_FOLDER [CHAOS]

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/cutter.h"
#include "platform/random.h"

namespace {

constexpr int kWidth = 600, kHeight = 420, kPieceSize = 84;
constexpr int kGap = 40;  // between the two halves of a preview

std::unique_ptr<Bitmap> TestPicture() {
  auto picture = std::make_unique<Bitmap>(kWidth, kHeight, PixelFormat::Format24bppRGB);
  for (int y = 0; y < kHeight; ++y) {
    std::uint32_t* row = picture->GetRow(y);
    for (int x = 0; x < kWidth; ++x) {
      const bool check = ((x / 30) + (y / 30)) % 2 == 0;
      const int r = 60 + x * 180 / kWidth, g = 60 + y * 180 / kHeight, b = check ? 200 : 120;
      row[x] = 0xFF000000u | r << 16 | g << 8 | b;
    }
  }
  picture->MarkDirty();
  return picture;
}

void Blit(Bitmap& target, const Bitmap& source, int left, int top) {
  cairo_t* cr = cairo_create(target.GetSurface());
  cairo_set_source_surface(cr, source.GetSurface(), left, top);
  cairo_paint(cr);
  cairo_destroy(cr);
}

void StrokeEdges(Bitmap& target, const CPuzzleCutter& cutter, int left, int top, double r, double g,
                 double b) {
  cairo_t* cr = cairo_create(target.GetSurface());
  cairo_translate(cr, left, top);
  for (const CutterEdgePtr& edge : cutter.GetCutEdges()) {
    const auto& pts = edge->GetPoints();
    cairo_move_to(cr, pts[0].X, pts[0].Y);
    size_t i = 1;
    for (CutterCurve::Segment seg : edge->GetSegments()) {
      if (seg == CutterCurve::Segment::Line) {
        cairo_line_to(cr, pts[i].X, pts[i].Y);
        i += 1;
      } else {
        cairo_curve_to(cr, pts[i].X, pts[i].Y, pts[i + 1].X, pts[i + 1].Y, pts[i + 2].X, pts[i + 2].Y);
        i += 3;
      }
    }
  }
  cairo_set_source_rgb(cr, r, g, b);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  cairo_destroy(cr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [CHAOS]\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const float chaos = argc > 2 ? std::strtof(argv[2], nullptr) : 0.5f;
  auto picture = TestPicture();
  for (int shape = 0; shape < cutter_shapes::kShapeCount; ++shape) {
    platform::SeedRand(2024);
    CPuzzleCutter cutter;
    cutter.SetImageSize(kWidth, kHeight);
    cutter.SetPieceSize(kPieceSize);
    cutter.SetShapeType(shape);
    cutter.SetDeviation(chaos);
    auto cut = cutter.GetCutImage(*picture);
    if (!cut) return 1;
    const int cw = cut->GetWidth(), ch = cut->GetHeight();
    Bitmap sheet(2 * cw + 3 * kGap, ch + 2 * kGap, PixelFormat::Format24bppRGB);
    {
      cairo_t* cr = cairo_create(sheet.GetSurface());
      cairo_set_source_rgb(cr, 0.25, 0.25, 0.28);
      cairo_paint(cr);
      cairo_destroy(cr);
    }
    Blit(sheet, *cut, kGap, kGap);
    StrokeEdges(sheet, cutter, kGap, kGap, 0.0, 0.0, 0.0);

    // The pieces at their places, except one that is pulled down and right.
    const int pulledColumn = 2, pulledRow = 1;
    const Size grid = cutter.GetGridSize();
    const int right = 2 * kGap + cw;
    for (int r = 0; r < grid.Height; ++r) {
      for (int c = 0; c < grid.Width; ++c) {
        if (c == pulledColumn && r == pulledRow) continue;
        auto piece = cutter.GetPieceImage(*cut, c, r);
        Blit(sheet, *piece.bitmap, right + static_cast<int>(piece.position.X),
             kGap + static_cast<int>(piece.position.Y));
      }
    }
    auto pulled = cutter.GetPieceImage(*cut, pulledColumn, pulledRow);
    constexpr int kPull = 50;
    Blit(sheet, *pulled.bitmap, right + static_cast<int>(pulled.position.X) + kPull,
         kGap + static_cast<int>(pulled.position.Y) + kPull);
    {
      // Its outline, so that the piece stands out from the picture below.
      cairo_t* cr = cairo_create(sheet.GetSurface());
      for (const PointF& p : cutter.GetPieceOutline(pulledColumn, pulledRow)) {
        cairo_line_to(cr, right + kPull + p.X, kGap + kPull + p.Y);
      }
      cairo_close_path(cr);
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_set_line_width(cr, 1.0);
      cairo_stroke(cr);
      cairo_destroy(cr);
    }

    const std::string path = folder + "/cut_shape" + std::to_string(shape) + ".png";
    if (cairo_surface_write_to_png(sheet.GetSurface(), path.c_str()) != CAIRO_STATUS_SUCCESS) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s: %s\n", path.c_str(), cutter_shapes::GetShapeName(shape).c_str());
  }
  return 0;
}
