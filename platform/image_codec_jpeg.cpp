#include "platform/image_codec_jpeg.h"

// The JPEG library's header needs the standard I/O types first.
#include <cstdio>

#include <jpeglib.h>

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

}  // namespace

std::unique_ptr<Gdiplus::Bitmap> DecodeCmykJpeg(std::span<const std::uint8_t> bytes) {
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
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || info.num_components != 4 ||
      (info.jpeg_color_space != JCS_CMYK && info.jpeg_color_space != JCS_YCCK)) {
    jpeg_destroy_decompress(&info);
    return nullptr;
  }
  info.out_color_space = JCS_CMYK;
  jpeg_start_decompress(&info);
  const int width = static_cast<int>(info.output_width), height = static_cast<int>(info.output_height);
  out->bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, Gdiplus::PixelFormat::Format24bppRGB);
  if (!out->bitmap->IsValid() || info.output_components != 4) {
    jpeg_destroy_decompress(&info);
    return nullptr;
  }
  // With the Adobe marker the inks are stored inverted: a sample is the
  // light let through, so it multiplies as it is.
  const bool inverted = info.saw_Adobe_marker;
  out->row.resize(static_cast<std::size_t>(width) * 4);
  while (info.output_scanline < info.output_height) {
    const int y = static_cast<int>(info.output_scanline);
    JSAMPROW rows[1] = {out->row.data()};
    if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    std::uint32_t* dst = out->bitmap->GetRow(y);
    const JSAMPLE* src = out->row.data();
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

}  // namespace platform
