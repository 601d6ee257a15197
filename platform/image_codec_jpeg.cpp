#include "platform/image_codec_jpeg.h"

// The JPEG library's header needs the standard I/O types first.
#include <cstdio>

#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <vector>

namespace platform {

namespace {

// The library reports a fatal error by calling error_exit, which must not
// return; it jumps back to the decoding function instead.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void OnFatalError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings about damaged data are not the user's business; the picture is
// decoded as far as it goes.
void OnMessage(j_common_ptr) {}

// What the decoding fills in. It lives on the heap and is reached through a
// pointer that never changes after setjmp, so a jump back leaves it sound.
struct Output {
  std::unique_ptr<Gdiplus::Bitmap> bitmap;
  std::vector<JSAMPLE> row;
};

// One ink as the amount of light it lets through, 0-255.
inline std::uint32_t Light(std::uint32_t ink, std::uint32_t black) { return (ink * black + 127) / 255; }

// The scale, in eighths, for a picture that is wanted with its longer side
// at `side`: the smallest the library can decode whose longer side still
// reaches it, so that the caller's exact reduction loses nothing, or less
// when that would hold more than maxPixels pixels. 8 (no reduction) when
// the picture is no larger than wanted.
unsigned EighthsFor(unsigned width, unsigned height, int side, std::int64_t maxPixels) {
  const std::uint64_t longer = std::max(width, height);
  if (side <= 0 || longer <= static_cast<std::uint64_t>(side)) return 8;
  unsigned eighths = static_cast<unsigned>(std::min<std::uint64_t>(8, (8ull * side + longer - 1) / longer));
  const auto pixels = [&](unsigned e) {
    return static_cast<std::int64_t>((std::uint64_t(width) * e + 7) / 8 * ((std::uint64_t(height) * e + 7) / 8));
  };
  while (eighths > 1 && pixels(eighths) > maxPixels) --eighths;
  return std::max(eighths, 1u);
}

std::unique_ptr<Gdiplus::Bitmap> DecodeJpeg(std::span<const std::uint8_t> bytes, int side, std::int64_t maxPixels,
                                            bool cmykOnly) {
  if (bytes.empty()) return nullptr;
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnFatalError;
  errors.base.output_message = OnMessage;
  const std::unique_ptr<Output> out = std::make_unique<Output>();
  // Nothing between here and the end may own a resource on the stack: a
  // fatal error comes back through this point, past every frame in between.
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return nullptr;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&info);
    return nullptr;
  }
  const bool cmyk = info.num_components == 4 &&
                    (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK);
  if (cmykOnly ? !cmyk : !(cmyk || info.num_components == 1 || info.num_components == 3)) {
    jpeg_destroy_decompress(&info);
    return nullptr;
  }
  info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  // The library reduces while it decodes, so a huge photo never exists at
  // its full size in memory.
  info.scale_num = EighthsFor(info.image_width, info.image_height, side, maxPixels);
  info.scale_denom = 8;
  jpeg_start_decompress(&info);
  const int width = static_cast<int>(info.output_width), height = static_cast<int>(info.output_height);
  const int components = cmyk ? 4 : 3;
  out->bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, Gdiplus::PixelFormat::Format24bppRGB);
  if (!out->bitmap->IsValid() || info.output_components != components) {
    jpeg_destroy_decompress(&info);
    return nullptr;
  }
  // With the Adobe marker the inks are stored inverted: a sample is the
  // light let through, so it multiplies as it is.
  const bool inverted = info.saw_Adobe_marker;
  out->row.resize(static_cast<std::size_t>(width) * components);
  while (info.output_scanline < info.output_height) {
    const int y = static_cast<int>(info.output_scanline);
    JSAMPROW rows[1] = {out->row.data()};
    if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    std::uint32_t* dst = out->bitmap->GetRow(y);
    const JSAMPLE* src = out->row.data();
    if (!cmyk) {
      for (int x = 0; x < width; ++x, src += 3)
        dst[x] = 0xFF000000u | (std::uint32_t(src[0]) << 16) | (std::uint32_t(src[1]) << 8) | src[2];
      continue;
    }
    for (int x = 0; x < width; ++x, src += 4) {
      std::uint32_t c = src[0], m = src[1], ye = src[2], k = src[3];
      if (!inverted) c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
      dst[x] = 0xFF000000u | (Light(c, k) << 16) | (Light(m, k) << 8) | Light(ye, k);
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  out->bitmap->MarkDirty();
  return std::move(out->bitmap);
}

}  // namespace

std::unique_ptr<Gdiplus::Bitmap> DecodeCmykJpeg(std::span<const std::uint8_t> bytes) {
  return DecodeJpeg(bytes, 0, 0, true);
}

std::unique_ptr<Gdiplus::Bitmap> DecodeJpegReduced(std::span<const std::uint8_t> bytes, int side,
                                                   std::int64_t maxPixels) {
  return DecodeJpeg(bytes, side, maxPixels, false);
}

}  // namespace platform
