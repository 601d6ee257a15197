#pragma once
// Four-component JPEGs (CMYK, or YCCK turned into CMYK), decoded with the
// JPEG library directly: the general image library passes their ink values
// on as if they were colours. Internal to the image codec.

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

}  // namespace platform
