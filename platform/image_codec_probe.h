#pragma once
// Reads just enough of a picture file's header to know what it is and how
// large it claims to be, so that absurd pictures are refused before the
// decoder allocates anything, and finds the EXIF orientation of JPEG photos,
// which the decoder ignores.

#include <cstdint>
#include <span>

namespace platform {

enum class ImageType { kUnknown, kBmp, kGif, kJpeg, kPng, kTiff };

struct ImageProbe {
  ImageType type = ImageType::kUnknown;
  std::int64_t width = 0;   // the largest width the header declares
  std::int64_t height = 0;  // the largest height the header declares
  int orientation = 1;      // EXIF orientation 1-8 (JPEG only; 1 = upright)
  int components = 0;       // colour components of a JPEG frame (1 grey, 3 colour, 4 CMYK)
};

// Whether the picture's declared size is non-empty and holds at most
// `maxPixels` pixels. Header sizes come from the file and each may be as
// large as 2^32 - 1, so they are compared without multiplying them first.
bool DeclaresAtMost(const ImageProbe& probe, std::int64_t maxPixels);

// The type and declared size of the picture; type kUnknown when the bytes
// are not one of the formats we read or the header is cut short.
ImageProbe ProbeImage(std::span<const std::uint8_t> bytes);

}  // namespace platform
