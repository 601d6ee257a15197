#pragma once
// A picture in memory: 24-bit RGB or 32-bit ARGB pixels, the graphics
// facade's Bitmap. Pixels are stored the way the drawing library wants them
// (32 bits a pixel, native byte order, alpha premultiplied for ARGB) so that
// drawing never converts; GetPixel and SetPixel speak straight ARGB.

#include <cstdint>
#include <memory>

#include "platform/types.h"

typedef struct _cairo_surface cairo_surface_t;

namespace Gdiplus {

enum class PixelFormat {
  Format24bppRGB,   // opaque; the unused byte of each pixel is ignored
  Format32bppARGB,  // with alpha, premultiplied in memory
};

class Bitmap {
 public:
  // Pictures larger than this on either side are refused: the drawing
  // library cannot address them, and a hostile file must not make us try.
  static constexpr int kMaxSide = 32767;

  // A new picture, fully transparent (ARGB) or black (RGB). An invalid size
  // gives a bitmap whose IsValid() is false.
  Bitmap(int width, int height, PixelFormat format);
  // Takes over a surface of the drawing library (platform code only).
  explicit Bitmap(cairo_surface_t* adopted);
  ~Bitmap();

  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  // A deep copy, or null when this bitmap is invalid.
  std::unique_ptr<Bitmap> Clone() const;
  // A bitmap of `height` rows whose pixels are rows [top, top + height) of
  // this one, shared, not copied: drawing on it draws on this bitmap, and
  // views of rows that do not overlap may be drawn on from different
  // threads at once. It must not outlive this bitmap; call MarkDirty() here
  // once drawing through views is done. Null when the rows are not inside.
  std::unique_ptr<Bitmap> ViewOfRows(int top, int height);

  bool IsValid() const { return m_surface != nullptr; }
  int GetWidth() const { return m_width; }
  int GetHeight() const { return m_height; }
  PixelFormat GetPixelFormat() const { return m_format; }
  bool HasAlpha() const { return m_format == PixelFormat::Format32bppARGB; }

  // Raw access: rows of GetStride() bytes, 4 bytes a pixel (0xAARRGGBB as a
  // native 32-bit word, premultiplied). Call MarkDirty() after writing.
  int GetStride() const;
  std::uint8_t* GetData();
  const std::uint8_t* GetData() const;
  std::uint32_t* GetRow(int y) { return reinterpret_cast<std::uint32_t*>(GetData() + y * GetStride()); }
  const std::uint32_t* GetRow(int y) const {
    return reinterpret_cast<const std::uint32_t*>(GetData() + y * GetStride());
  }
  void MarkDirty();

  // Pixels per inch, where 96 is one pixel a unit: a picture drawn for a
  // screen of twice the density (192) shows at half its pixel size.
  // Copies keep it; a new bitmap has 96.
  static constexpr float kUnitResolution = 96.0f;
  float GetHorizontalResolution() const { return m_resolution; }
  float GetVerticalResolution() const { return m_resolution; }
  void SetResolution(float xDpi, float yDpi);
  // The picture's size in units.
  float GetUnitWidth() const { return m_width * kUnitResolution / m_resolution; }
  float GetUnitHeight() const { return m_height * kUnitResolution / m_resolution; }

  // Straight (not premultiplied) ARGB; RGB pictures read with alpha 0xFF.
  // Points outside the picture read 0 and are not written.
  ARGB GetPixel(int x, int y) const;
  void SetPixel(int x, int y, ARGB colour);

  // The drawing library's surface (platform code only).
  cairo_surface_t* GetSurface() const { return m_surface; }

 private:
  cairo_surface_t* m_surface = nullptr;
  int m_width = 0;
  int m_height = 0;
  PixelFormat m_format = PixelFormat::Format32bppARGB;
  float m_resolution = kUnitResolution;
};

}  // namespace Gdiplus

using Gdiplus::Bitmap;
using Gdiplus::PixelFormat;
