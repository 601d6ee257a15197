#pragma once
// Helpers shared by the canvas item tests: pictures of one colour, a
// renderer that paints a tree into an off-screen picture, and a recorder of
// the repaint requests that reach the root.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "canvas/items.h"
#include "platform/graphics.h"

namespace item_test {

inline std::shared_ptr<Gdiplus::Bitmap> SolidPicture(int w, int h, ARGB colour) {
  auto bitmap = std::make_shared<Gdiplus::Bitmap>(w, h, PixelFormat::Format32bppARGB);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bitmap->SetPixel(x, y, colour);
  return bitmap;
}

// How alike two pictures of one size are: the peak signal-to-noise ratio
// over their colour channels, in dB (99 for equal ones).
inline double Psnr(const Gdiplus::Bitmap& a, const Gdiplus::Bitmap& b) {
  double squares = 0;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x)
      for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a.GetRow(y)[x] >> shift) & 0xFF) - static_cast<int>((b.GetRow(y)[x] >> shift) & 0xFF);
        squares += d * d;
      }
  const double mean = squares / (3.0 * a.GetWidth() * a.GetHeight());
  return mean == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mean);
}

// Paints the tree as the window does (maxZ at the top, caches on) onto an
// opaque background.
inline std::unique_ptr<Gdiplus::Bitmap> Render(CRSCanvasItem& root, int w, int h, ARGB background = 0xFFFFFFFF,
                                               bool useCache = true) {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(w, h, PixelFormat::Format32bppARGB);
  Gdiplus::Graphics g(bitmap.get());
  g.Clear(Gdiplus::Color(background));
  g.MultiplyTransform(&root.GetTransform());
  root.Paint(g, CRSCanvasItem::kZOrderTop, useCache);
  g.Flush();
  return bitmap;
}

// Writes the picture as a binary PPM when TANDRILL_SCENE_DIR names a folder,
// so a developer can look at what a test drew.
inline void SaveSceneIfAsked(const Gdiplus::Bitmap& bitmap, const std::string& name) {
  const char* dir = std::getenv("TANDRILL_SCENE_DIR");
  if (!dir || !*dir) return;
  std::FILE* f = std::fopen((std::string(dir) + "/" + name + ".ppm").c_str(), "wb");
  if (!f) return;
  std::fprintf(f, "P6\n%d %d\n255\n", bitmap.GetWidth(), bitmap.GetHeight());
  for (int y = 0; y < bitmap.GetHeight(); ++y) {
    for (int x = 0; x < bitmap.GetWidth(); ++x) {
      const ARGB p = bitmap.GetPixel(x, y);
      const unsigned char rgb[3] = {Gdiplus::RedOf(p), Gdiplus::GreenOf(p), Gdiplus::BlueOf(p)};
      std::fwrite(rgb, 1, 3, f);
    }
  }
  std::fclose(f);
}

// Colour distance per channel, for probes of anti-aliased or filtered pixels.
inline bool Near(ARGB a, ARGB b, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int ca = static_cast<int>((a >> shift) & 0xFF), cb = static_cast<int>((b >> shift) & 0xFF);
    if (std::abs(ca - cb) > tolerance) return false;
  }
  return true;
}

// The number of pixels where two frames differ by more than tolerance.
inline int Differences(const Gdiplus::Bitmap& a, const Gdiplus::Bitmap& b, int tolerance) {
  int count = 0;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x) count += Near(a.GetPixel(x, y), b.GetPixel(x, y), tolerance) ? 0 : 1;
  return count;
}

struct InvalidationRecorder : sigslot::has_slots {
  std::vector<std::pair<CRSCanvasItem*, RectF>> calls;
  explicit InvalidationRecorder(CRSCanvasItem& root) { root.sigInvalidate.connect(this, &InvalidationRecorder::On); }
  void On(CRSCanvasItem* item, const RectF& rect) { calls.emplace_back(item, rect); }
};

}  // namespace item_test
