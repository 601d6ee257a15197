#pragma once
// Pictures and music carried inside the program's files as Base64 text.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/bitmap.h"

// The MIME types the files use: puzzle pictures and thumbnails are JPEG,
// category pictures PNG.
inline constexpr std::string_view kMimeJpeg = "image/jpeg";
inline constexpr std::string_view kMimePng = "image/png";

// The Base64 form of the picture encoded as mime; empty on failure.
std::string EncodeImageBase64(const Gdiplus::Bitmap& image, std::string_view mime);
// The picture in Base64 text; null when the bytes are not a picture.
std::unique_ptr<Gdiplus::Bitmap> DecodeImageBase64(std::string_view text);

// A picture together with the Base64 text it is stored as. The text read
// from a file is kept and written back unchanged until the picture is
// replaced, so loading and saving never costs picture quality.
class CRSEmbeddedImage {
 public:
  // Keeps the text and decodes it; false (and no picture) when it is not a
  // picture. The text is kept either way.
  bool SetBase64(std::string text);
  // Replaces the picture and encodes it as mime; false (text emptied) when
  // encoding fails. A null picture clears both.
  bool SetImage(std::unique_ptr<Gdiplus::Bitmap> image, std::string_view mime);
  void Clear();

  const std::string& GetBase64() const { return m_base64; }
  Gdiplus::Bitmap* GetImage() const { return m_image.get(); }
  bool HasImage() const { return m_image != nullptr; }
  std::unique_ptr<Gdiplus::Bitmap> TakeImage() { return std::move(m_image); }

 private:
  std::string m_base64;
  std::unique_ptr<Gdiplus::Bitmap> m_image;
};

// Music files larger than this are not embedded (a gift must stay mailable,
// and a stranger's file must not make us allocate without bound).
inline constexpr std::size_t kMaxMusicBytes = 64u * 1024u * 1024u;

// The Base64 form of a music file's raw bytes; false when the file cannot
// be read or is larger than kMaxMusicBytes.
bool EncodeMusicFileBase64(const std::string& path, std::string& out);
// The music bytes in Base64 text.
std::vector<std::uint8_t> DecodeMusicBase64(std::string_view text);
