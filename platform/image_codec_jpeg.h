#pragma once
// JPEGs decoded with the JPEG library directly: four-component ones (CMYK,
// or YCCK turned into CMYK), whose ink values the general image library
// passes on as if they were colours, and photos too large to be decoded at
// their own size. Internal to the image codec.

#include <cstdint>
#include <memory>
#include <span>

#include "platform/bitmap.h"

namespace platform {

// The picture as opaque RGB; null when the bytes are not a four-component
// JPEG or are broken. Pictures carrying the Adobe marker store their inks
// inverted (255 is no ink), as the programs that write them do; others
// store them plainly.
std::unique_ptr<Gdiplus::Bitmap> DecodeCmykJpeg(std::span<const std::uint8_t> bytes);

// Any grey, colour or four-component JPEG as opaque RGB, reduced while it
// is decoded (in steps of an eighth) to the least size whose longer side
// still reaches `side`, or further when that would hold more than
// maxPixels pixels: the picture is never held at its own size. Null when
// the bytes are not such a JPEG or are broken.
std::unique_ptr<Gdiplus::Bitmap> DecodeJpegReduced(std::span<const std::uint8_t> bytes, int side,
                                                   std::int64_t maxPixels);

}  // namespace platform
