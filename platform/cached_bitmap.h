#pragma once
// A picture prepared for fast drawing on a particular target: pixels in the
// target's format, drawn 1:1 at device positions.

#include <memory>

#include "platform/bitmap.h"
#include "platform/matrix.h"

typedef struct _cairo_surface cairo_surface_t;

namespace Gdiplus {

class Graphics;

class CachedBitmap {
 public:
  // Copies bitmap; the bitmap and the graphics may go away afterwards.
  CachedBitmap(const Bitmap* bitmap, const Graphics* graphics);
  // Takes the bitmap: its pixels are kept as they are when they already
  // have the format a copy would get (a picture with transparent pixels),
  // so that a picture painted only to be cached is never held twice.
  CachedBitmap(std::unique_ptr<Bitmap> bitmap, const Graphics* graphics);
  ~CachedBitmap();
  CachedBitmap(const CachedBitmap&) = delete;
  CachedBitmap& operator=(const CachedBitmap&) = delete;

  bool IsValid() const { return m_surface != nullptr; }
  int GetWidth() const { return m_width; }
  int GetHeight() const { return m_height; }
  Status GetLastStatus() const { return m_surface ? Ok : InvalidParameter; }

  cairo_surface_t* GetSurface() const { return m_surface; }  // platform code only

 private:
  cairo_surface_t* m_surface = nullptr;
  int m_width = 0;
  int m_height = 0;
};

}  // namespace Gdiplus

using Gdiplus::CachedBitmap;
