#pragma once
// Picture helpers several parts of the game share.

#include <memory>
#include <string_view>

#include "platform/bitmap.h"

namespace platform {

// Decodes the built-in resource of this type and name; null when there is
// none or it is not a picture. On a screen denser than one pixel a unit
// (scale above 1) its copy of twice the pixels ("name@2x") is taken where
// the resources have one, with its resolution saying so (192 dpi): it shows
// at the same size in units, sharper.
std::unique_ptr<Gdiplus::Bitmap> LoadImageFromResource(std::string_view type, std::string_view name,
                                                       float scale = 1.0f);

// A new bitmap of the given size and format with the picture drawn into it,
// smoothly scaled. With keepAspect the size becomes the picture's size times
// min(width / picture width, height / picture height), rounded (at least 1).
// Null for an invalid picture or size.
std::unique_ptr<Gdiplus::Bitmap> ScaledCopy(const Gdiplus::Bitmap& image, int width, int height,
                                            Gdiplus::PixelFormat format, bool keepAspect);

// The picture at half its width and height (rounded up), each pixel the
// mean of the two by two it covers: the next smaller copy for drawing a
// picture far below its own size. Same format; null for an invalid picture.
std::unique_ptr<Gdiplus::Bitmap> HalvedCopy(const Gdiplus::Bitmap& image);

// A 32-bit ARGB copy in which every pixel of the colour key (compared by its
// red, green and blue) becomes fully transparent.
std::unique_ptr<Gdiplus::Bitmap> ColourKeyedCopy(const Gdiplus::Bitmap& image, Gdiplus::ARGB key);

}  // namespace platform
