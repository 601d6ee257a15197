// tandrill_cut_preview: draws, for each of the eight edge shapes, a test
// picture with its cut outline on the left and the same picture laid out as
// pieces on the right, one piece pulled out of its place and outlined. A
// tool for looking at the shapes, not part of the game.
//
//   tandrill_cut_preview OUTPUT_FOLDER [CHAOS]

#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/cutter.h"
#include "platform/brush.h"
#include "platform/graphics.h"
#include "platform/image_codec.h"
#include "platform/pen.h"
#include "platform/random.h"

namespace {

constexpr int kWidth = 600, kHeight = 420, kPieceSize = 84;
constexpr int kGap = 40;   // around and between the two halves
constexpr int kPull = 50;  // how far the loose piece lies from its place

std::unique_ptr<Bitmap> TestPicture() {
  auto picture = std::make_unique<Bitmap>(kWidth, kHeight, PixelFormat::Format24bppRGB);
  for (int y = 0; y < kHeight; ++y) {
    std::uint32_t* row = picture->GetRow(y);
    for (int x = 0; x < kWidth; ++x) {
      const bool check = ((x / 30) + (y / 30)) % 2 == 0;
      const std::uint32_t r = 60 + x * 180 / kWidth, g = 60 + y * 180 / kHeight, b = check ? 200 : 120;
      row[x] = 0xFF000000u | r << 16 | g << 8 | b;
    }
  }
  picture->MarkDirty();
  return picture;
}

bool Preview(const Bitmap& picture, int shape, float chaos, const std::string& path) {
  platform::SeedRand(2024);
  CPuzzleCutter cutter;
  cutter.SetImageSize(kWidth, kHeight);
  cutter.SetPieceSize(kPieceSize);
  cutter.SetShapeType(shape);
  cutter.SetDeviation(chaos);
  auto cut = cutter.GetCutImage(picture);
  if (!cut) return false;
  const int cw = cut->GetWidth(), ch = cut->GetHeight();
  Bitmap sheet(2 * cw + 3 * kGap, ch + 2 * kGap, PixelFormat::Format24bppRGB);
  Graphics g(&sheet);
  g.Clear(Color(64, 64, 72));
  g.SetSmoothingMode(SmoothingModeAntiAlias);

  // Left: the picture with every cut drawn on it.
  g.DrawImage(cut.get(), static_cast<float>(kGap), static_cast<float>(kGap));
  g.TranslateTransform(kGap, kGap);
  Pen black(Color(0, 0, 0), 1.5f);
  g.DrawPath(&black, &cutter.GetCutsPath());
  g.ResetTransform();

  // Right: the pieces at their places, except one pulled down and right.
  const int pulledColumn = 2, pulledRow = 1;
  const float right = static_cast<float>(2 * kGap + cw);
  const Size grid = cutter.GetGridSize();
  for (int r = 0; r < grid.Height; ++r) {
    for (int c = 0; c < grid.Width; ++c) {
      if (c == pulledColumn && r == pulledRow) continue;
      auto piece = cutter.GetPieceImage(*cut, c, r);
      g.DrawImage(piece.bitmap.get(), right + piece.position.X, kGap + piece.position.Y);
    }
  }
  auto pulled = cutter.GetPieceImage(*cut, pulledColumn, pulledRow);
  g.DrawImage(pulled.bitmap.get(), right + pulled.position.X + kPull, kGap + pulled.position.Y + kPull);
  GraphicsPath outline;
  const std::vector<PointF> points = cutter.GetPieceOutline(pulledColumn, pulledRow);
  outline.AddPolygon(points.data(), static_cast<int>(points.size()));
  g.TranslateTransform(right + kPull, kGap + kPull);
  Pen white(Color(255, 255, 255), 1.0f);
  g.DrawPath(&white, &outline);
  g.Flush();
  return platform::SaveImageByExtension(sheet, path);
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
    const std::string path = folder + "/cut_shape" + std::to_string(shape) + ".png";
    if (!Preview(*picture, shape, chaos, path)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s: %s\n", path.c_str(), cutter_shapes::GetShapeName(shape).c_str());
  }
  return 0;
}
