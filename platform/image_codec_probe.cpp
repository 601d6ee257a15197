#include "platform/image_codec_probe.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

// Bounds-checked reads: every offset comes from the file itself.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> b) : m_b(b) {}
  bool Has(std::size_t at, std::size_t n) const { return at <= m_b.size() && n <= m_b.size() - at; }
  std::uint32_t U8(std::size_t at) const { return Has(at, 1) ? m_b[at] : 0; }
  std::uint32_t Le16(std::size_t at) const { return U8(at) | (U8(at + 1) << 8); }
  std::uint32_t Be16(std::size_t at) const { return (U8(at) << 8) | U8(at + 1); }
  std::uint32_t Le32(std::size_t at) const { return Le16(at) | (Le16(at + 2) << 16); }
  std::uint32_t Be32(std::size_t at) const { return (Be16(at) << 16) | Be16(at + 2); }
  bool Matches(std::size_t at, const char* magic, std::size_t n) const {
    return Has(at, n) && std::memcmp(m_b.data() + at, magic, n) == 0;
  }
  std::size_t Size() const { return m_b.size(); }

 private:
  std::span<const std::uint8_t> m_b;
};

// A TIFF structure inside the bytes at base (a TIFF file, or the EXIF block
// of a JPEG): reads one short or long tag of the first directory.
struct Tiff {
  const Reader* r;
  std::size_t base;
  bool little;

  std::uint32_t U16(std::size_t at) const { return little ? r->Le16(base + at) : r->Be16(base + at); }
  std::uint32_t U32(std::size_t at) const { return little ? r->Le32(base + at) : r->Be32(base + at); }

  bool Tag(std::uint32_t tag, std::uint32_t& value) const {
    const std::size_t ifd = U32(4);
    if (!r->Has(base + ifd, 2)) return false;
    const std::uint32_t count = U16(ifd);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::size_t entry = ifd + 2 + std::size_t(i) * 12;
      if (!r->Has(base + entry, 12)) return false;
      if (U16(entry) != tag) continue;
      const std::uint32_t type = U16(entry + 2);
      if (type == 3) value = U16(entry + 8);
      else if (type == 4) value = U32(entry + 8);
      else return false;
      return true;
    }
    return false;
  }
};

bool OpenTiff(const Reader& r, std::size_t base, Tiff& out) {
  if (r.Matches(base, "II*\0", 4)) out = Tiff{&r, base, true};
  else if (r.Matches(base, "MM\0*", 4)) out = Tiff{&r, base, false};
  else return false;
  return true;
}

void ProbeJpeg(const Reader& r, ImageProbe& p) {
  std::size_t at = 2;
  while (r.Has(at, 4)) {
    if (r.U8(at) != 0xFF) return;
    const std::uint32_t marker = r.U8(at + 1);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    const std::uint32_t length = r.Be16(at + 2);
    if (length < 2) return;
    const bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (sof) {
      if (!r.Has(at + 5, 5)) return;
      p.height = r.Be16(at + 5);
      p.width = r.Be16(at + 7);
      p.components = static_cast<int>(r.U8(at + 9));
      p.type = ImageType::kJpeg;
      return;
    }
    if (marker == 0xE1 && r.Matches(at + 4, "Exif\0\0", 6)) {
      Tiff tiff{&r, 0, true};
      std::uint32_t orientation = 1;
      if (OpenTiff(r, at + 10, tiff) && tiff.Tag(0x0112, orientation) && orientation >= 1 && orientation <= 8)
        p.orientation = static_cast<int>(orientation);
    }
    if (marker == 0xDA || marker == 0xD9) return;  // pixels start before any frame header
    at += 2 + length;
  }
}

void ProbeGif(const Reader& r, ImageProbe& p) {
  if (!r.Has(0, 13)) return;
  p.width = r.Le16(6);
  p.height = r.Le16(8);
  std::size_t at = 13;
  if (r.U8(10) & 0x80) at += 3u << ((r.U8(10) & 7) + 1);
  // Frames may claim more than the logical screen; take the first one's
  // size into account, since that is the frame that gets decoded.
  while (r.Has(at, 1)) {
    const std::uint32_t block = r.U8(at);
    if (block == 0x2C) {
      if (!r.Has(at, 10)) return;
      p.width = std::max<std::int64_t>(p.width, r.Le16(at + 5));
      p.height = std::max<std::int64_t>(p.height, r.Le16(at + 7));
      break;
    }
    if (block != 0x21) break;
    at += 2;  // introducer and label, then data sub-blocks
    while (r.Has(at, 1) && r.U8(at) != 0) at += 1 + r.U8(at);
    ++at;
  }
  p.type = ImageType::kGif;
}

}  // namespace

bool DeclaresAtMost(const ImageProbe& probe, std::int64_t maxPixels) {
  if (probe.width <= 0 || probe.height <= 0 || maxPixels <= 0) return false;
  return probe.width <= maxPixels / probe.height;
}

namespace {

ImageProbe ProbeHeader(std::span<const std::uint8_t> bytes) {
  const Reader r(bytes);
  ImageProbe p;
  if (r.Matches(0, "\x89PNG\r\n\x1a\n", 8)) {
    if (!r.Has(16, 8)) return p;
    p.width = r.Be32(16);
    p.height = r.Be32(20);
    p.type = ImageType::kPng;
  } else if (r.Matches(0, "\xFF\xD8", 2)) {
    ProbeJpeg(r, p);
  } else if (r.Matches(0, "GIF87a", 6) || r.Matches(0, "GIF89a", 6)) {
    ProbeGif(r, p);
  } else if (r.Matches(0, "BM", 2)) {
    if (!r.Has(14, 12)) return p;
    if (r.Le32(14) == 12) {
      p.width = r.Le16(18);
      p.height = r.Le16(20);
    } else {
      p.width = static_cast<std::int32_t>(r.Le32(18));
      p.height = static_cast<std::int32_t>(r.Le32(22));
    }
    // Negative heights mark top-down pictures.
    p.width = p.width < 0 ? -p.width : p.width;
    p.height = p.height < 0 ? -p.height : p.height;
    p.type = ImageType::kBmp;
  } else {
    Tiff tiff{&r, 0, true};
    if (!OpenTiff(r, 0, tiff)) return p;
    std::uint32_t w = 0, h = 0;
    if (!tiff.Tag(256, w) || !tiff.Tag(257, h)) return p;
    p.width = w;
    p.height = h;
    p.type = ImageType::kTiff;
  }
  return p;
}

}  // namespace

ImageProbe ProbeImage(std::span<const std::uint8_t> bytes) {
  // A header cut short may have told a size before it ended (a GIF's
  // screen before its first frame): what is not a picture has no size.
  const ImageProbe p = ProbeHeader(bytes);
  return p.type == ImageType::kUnknown ? ImageProbe{} : p;
}

}  // namespace platform
