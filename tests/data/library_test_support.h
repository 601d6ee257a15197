#pragma once
// Helpers for the library tests: pictures to make thumbnails from, their
// Base64 forms, and elements read through a real parser.

#include <memory>
#include <string>
#include <string_view>

#include "data/embed.h"
#include "data/xml.h"
#include "platform/bitmap.h"

namespace library_test {

// An opaque picture with a pattern, so encoders have something to keep.
inline std::shared_ptr<Gdiplus::Bitmap> MakePicture(int w, int h, bool alpha = false) {
  auto picture = std::make_shared<Gdiplus::Bitmap>(
      w, h, alpha ? PixelFormat::Format32bppARGB : PixelFormat::Format24bppRGB);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      picture->SetPixel(x, y, 0xFF000000u | static_cast<ARGB>((x * 7 & 0xFF) << 16 | (y * 5 & 0xFF) << 8 | 0x40));
  return picture;
}

inline std::string JpegText(int w, int h) { return EncodeImageBase64(*MakePicture(w, h), kMimeJpeg); }
inline std::string PngText(int w, int h) { return EncodeImageBase64(*MakePicture(w, h, true), kMimePng); }

// Hands the element named tag to record, as the library's reader does.
class PushFor : public CRSXMLParser::XHandler {
 public:
  PushFor(std::string tag, CRSXMLParser::XHandler* record) : m_tag(std::move(tag)), m_record(record) {}
  void OnElement(const std::string& name, const CRSXMLParser::Attributes&, const std::string&) override {
    if (name == m_tag || name == ToUpper(m_tag)) GetParser()->PushHandler(m_record);
  }

 private:
  static std::string ToUpper(std::string s) {
    for (char& c : s) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    return s;
  }
  std::string m_tag;
  CRSXMLParser::XHandler* m_record;
};

inline int ReadInto(std::string_view text, const std::string& tag, CRSXMLParser::XHandler* record) {
  PushFor root(tag, record);
  CRSXMLParser parser;
  return parser.ParseText(text, &root);
}

}  // namespace library_test
