// Checks on what the library reads from its file.

#include "data/library_input.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "data/base64.h"
#include "data/xml_text.h"
#include "platform/image_codec.h"
#include "platform/image_codec_probe.h"

namespace library_input {

namespace {

// Whether the bytes are a PNG whose chunks all lie inside them, up to its
// end chunk. The PNG reader underneath does not notice a stream that ends
// early: it goes on reading nothing for as long as a damaged length asks,
// which for a few hundred bytes of rubbish can be minutes.
bool IsWholePng(std::span<const std::uint8_t> bytes) {
  constexpr std::size_t kSignature = 8;
  std::size_t at = kSignature;
  while (at + 8 <= bytes.size()) {
    const std::uint32_t length = std::uint32_t(bytes[at]) << 24 | std::uint32_t(bytes[at + 1]) << 16 |
                                 std::uint32_t(bytes[at + 2]) << 8 | std::uint32_t(bytes[at + 3]);
    if (length > 0x7FFFFFFFu) return false;
    // Length, type, data and checksum.
    const std::uint64_t end = std::uint64_t(at) + 12 + length;
    if (end > bytes.size()) return false;
    if (bytes[at + 4] == 'I' && bytes[at + 5] == 'E' && bytes[at + 6] == 'N' && bytes[at + 7] == 'D') return true;
    at = static_cast<std::size_t>(end);
  }
  return false;
}

// Whether the bytes' header declares a picture the reader takes, at most
// maxSide on either side.
bool PassesProbe(std::span<const std::uint8_t> bytes, int maxSide, Size& size) {
  if (bytes.empty()) return false;
  const platform::ImageProbe probe = platform::ProbeImage(bytes);
  if (probe.type == platform::ImageType::kUnknown || probe.width <= 0 || probe.height <= 0 ||
      probe.width > maxSide || probe.height > maxSide)
    return false;
  if (probe.type == platform::ImageType::kPng && !IsWholePng(bytes)) return false;
  size = Size(static_cast<int>(probe.width), static_cast<int>(probe.height));
  return true;
}

}  // namespace

bool ReadFreeText(std::string_view base64, std::size_t maxBytes, std::string& out) {
  out.clear();
  // Every four Base64 characters give at most three bytes; blanks and line
  // breaks may pad the text a little, rubbish may pad it a lot. A text
  // that could not decode within the limit even with some padding is
  // refused without decoding it.
  if (base64.size() / 4 > maxBytes / 3 + 1024) return false;
  std::string bytes = Base64DecodeToString(base64);
  if (bytes.size() > maxBytes) return false;
  out = xmltext::TextFromBytes(bytes);
  // Windows-1252 text grows when it becomes UTF-8; what is kept must pass
  // the same limit when it is read back from our own file.
  if (out.size() > maxBytes) {
    out.clear();
    return false;
  }
  return true;
}

Size ProbePicture(std::string_view base64, int maxSide) {
  Size size;
  // A library of a thousand thumbnails is probed as it loads: a JPEG tells
  // its size in its first bytes, so only they are decoded. Anything else, or
  // a header longer than that (a large Exif block), is decoded whole.
  constexpr std::size_t kHeadChars = 8192;
  if (base64.size() > kHeadChars) {
    const std::vector<std::uint8_t> head = Base64Decode(base64.substr(0, kHeadChars));
    if (platform::ProbeImage(head).type == platform::ImageType::kJpeg)
      return PassesProbe(head, maxSide, size) ? size : Size();
  }
  if (!PassesProbe(Base64Decode(base64), maxSide, size)) return Size();
  return size;
}

std::shared_ptr<Gdiplus::Bitmap> DecodePicture(std::string_view base64, int maxSide) {
  const std::vector<std::uint8_t> bytes = Base64Decode(base64);
  Size declared;
  if (!PassesProbe(bytes, maxSide, declared)) return nullptr;
  std::unique_ptr<Gdiplus::Bitmap> picture = platform::DecodeImage(bytes);
  if (!picture || !picture->IsValid() || picture->GetWidth() > maxSide || picture->GetHeight() > maxSide)
    return nullptr;
  return picture;
}

std::string PictureText(std::string_view text) {
  // The Base64 alphabet and its padding, whatever the locale says letters
  // are.
  static constexpr std::array<bool, 256> kAlphabet = [] {
    std::array<bool, 256> table{};
    for (int c = 'A'; c <= 'Z'; ++c) table[static_cast<std::size_t>(c)] = true;
    for (int c = 'a'; c <= 'z'; ++c) table[static_cast<std::size_t>(c)] = true;
    for (int c = '0'; c <= '9'; ++c) table[static_cast<std::size_t>(c)] = true;
    for (char c : {'+', '/', '='}) table[static_cast<unsigned char>(c)] = true;
    return table;
  }();
  auto inAlphabet = [](char c) { return kAlphabet[static_cast<unsigned char>(c)]; };
  // The game writes pictures as one unbroken line, which is copied whole;
  // only a text with breaks or stray marks is sifted.
  const auto stray = std::find_if_not(text.begin(), text.end(), inAlphabet);
  std::string kept(text.begin(), stray);
  if (stray == text.end()) return kept;
  kept.reserve(text.size());
  std::copy_if(stray, text.end(), std::back_inserter(kept), inAlphabet);
  return kept;
}

bool IsSanePoint(const PointF& point) {
  return std::isfinite(point.X) && std::isfinite(point.Y) && std::fabs(point.X) <= kMaxCoordinate &&
         std::fabs(point.Y) <= kMaxCoordinate;
}

}  // namespace library_input
