#pragma once
// Picture files in and out: BMP (also named .dib and .rle), GIF, JPEG, PNG
// and TIFF are decoded into bitmaps (24-bit RGB for opaque pictures, 32-bit
// premultiplied ARGB for pictures with alpha or a transparent colour); JPEG
// and PNG are encoded to memory. Four-component (CMYK) JPEGs are converted
// to their real colours. Pictures whose declared size is absurd are refused
// before any pixel memory is allocated.
//
// EXIF orientation belongs to the user's picture files only: a photo read
// from a file is turned upright once, and what the program then embeds in
// its own files is that upright picture, encoded afresh without the tag.
// Bytes embedded in our files (and built-in resources) are therefore decoded
// as they are stored; turning them again would no longer fit the saved cut.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/bitmap.h"

namespace platform {

// The largest picture accepted, in pixels (a quarter of a gigapixel, 1 GiB
// of ARGB), besides Bitmap::kMaxSide on either side.
inline constexpr std::int64_t kMaxImagePixels = std::int64_t(1) << 28;

// Whether a JPEG's EXIF orientation turns the decoded picture.
enum class ExifOrientation { kIgnore, kApply };

// Decodes picture bytes as they are stored (no EXIF turn unless asked);
// null when they are not a picture we can read.
std::unique_ptr<Gdiplus::Bitmap> DecodeImage(std::span<const std::uint8_t> bytes,
                                             ExifOrientation orientation = ExifOrientation::kIgnore);
// Reads and decodes a user's picture file, turned upright by its EXIF
// orientation; null on any failure.
std::unique_ptr<Gdiplus::Bitmap> LoadImageFile(const std::string& path);

// A user's picture file, turned upright, for a use that needs it no larger
// than maxSide on its longer side. A JPEG beyond that is reduced while it
// is decoded, to the least size of the decoder's steps whose longer side
// still reaches maxSide (less when that would hold more pixels than a
// square of maxSide, or than maxPixels), and the caller makes the exact
// size; any other
// picture is decoded at its own size when it holds at most maxPixels
// pixels, and is refused from its header (tooLarge set, nothing decoded)
// when it holds more.
struct BoundedImage {
  std::unique_ptr<Gdiplus::Bitmap> bitmap;  // null on any failure
  bool tooLarge = false;
};
BoundedImage LoadImageFileWithin(const std::string& path, int maxSide, std::int64_t maxPixels);

// True for the MIME types EncodeImage can write: "image/jpeg", "image/png".
bool HasImageEncoder(std::string_view mime);
// Encodes the picture as mime into out (replacing its content). JPEG is
// written at the platform encoder's default quality and drops alpha; PNG
// keeps alpha. False when the type is unknown or encoding fails.
bool EncodeImage(const Gdiplus::Bitmap& image, std::string_view mime, std::vector<std::uint8_t>& out);

// Saves the picture in the format its file extension names (lower-cased):
// "png", "jpg"/"jpeg" and "bmp" are written; "gif" and "tif" are refused
// (no writer for them), as is every other extension. False when nothing
// was saved.
bool SaveImageByExtension(const Gdiplus::Bitmap& image, const std::string& path);

}  // namespace platform
