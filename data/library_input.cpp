// Checks on what the library reads from its file.

#include "data/library_input.h"

#include <cmath>
#include <vector>

#include "data/base64.h"
#include "data/xml_text.h"
#include "platform/image_codec.h"
#include "platform/image_codec_probe.h"

namespace library_input {

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

std::shared_ptr<Gdiplus::Bitmap> DecodePicture(std::string_view base64, int maxSide) {
  const std::vector<std::uint8_t> bytes = Base64Decode(base64);
  if (bytes.empty()) return nullptr;
  const platform::ImageProbe probe = platform::ProbeImage(bytes);
  if (probe.type == platform::ImageType::kUnknown || probe.width <= 0 || probe.height <= 0 ||
      probe.width > maxSide || probe.height > maxSide)
    return nullptr;
  std::unique_ptr<Gdiplus::Bitmap> picture = platform::DecodeImage(bytes);
  if (!picture || !picture->IsValid() || picture->GetWidth() > maxSide || picture->GetHeight() > maxSide)
    return nullptr;
  return picture;
}

bool IsSanePoint(const PointF& point) {
  return std::isfinite(point.X) && std::isfinite(point.Y) && std::fabs(point.X) <= kMaxCoordinate &&
         std::fabs(point.Y) <= kMaxCoordinate;
}

}  // namespace library_input
