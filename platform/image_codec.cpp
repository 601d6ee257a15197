#include "platform/image_codec.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "platform/image_codec_jpeg.h"
#include "platform/image_codec_probe.h"

namespace platform {

namespace {

// Quality of JPEG pictures: the default of the platform encoder the files
// were first written with.
constexpr int kJpegQuality = 75;

struct SurfaceDeleter {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

const char* LoaderName(ImageType type) {
  switch (type) {
    case ImageType::kBmp: return "BMP";
    case ImageType::kGif: return "GIF";
    case ImageType::kJpeg: return "JPG";
    case ImageType::kPng: return "PNG";
    case ImageType::kTiff: return "TIF";
    default: return nullptr;
  }
}

// --- Surfaces to bitmaps -----------------------------------------------------

// An SDL view of the bitmap's own pixels (no copy); valid while the bitmap is.
SurfacePtr WrapBitmap(const Gdiplus::Bitmap& bitmap, Uint32 format) {
  auto* data = const_cast<std::uint8_t*>(bitmap.GetData());
  return SurfacePtr(SDL_CreateRGBSurfaceWithFormatFrom(data, bitmap.GetWidth(), bitmap.GetHeight(), 32,
                                                       bitmap.GetStride(), format));
}

std::unique_ptr<Gdiplus::Bitmap> OpaqueFromSurface(SDL_Surface* s) {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(s->w, s->h, Gdiplus::PixelFormat::Format24bppRGB);
  if (!bitmap->IsValid()) return nullptr;
  if (s->format->format == SDL_PIXELFORMAT_RGB24) {
    // The usual case (every JPEG): a plain loop beats the generic blitter.
    for (int y = 0; y < s->h; ++y) {
      const auto* src = static_cast<const std::uint8_t*>(s->pixels) + std::size_t(y) * s->pitch;
      std::uint32_t* dst = bitmap->GetRow(y);
      for (int x = 0; x < s->w; ++x, src += 3)
        dst[x] = 0xFF000000u | (std::uint32_t(src[0]) << 16) | (std::uint32_t(src[1]) << 8) | src[2];
    }
  } else {
    SurfacePtr target = WrapBitmap(*bitmap, SDL_PIXELFORMAT_XRGB8888);
    if (!target) return nullptr;
    SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
    if (SDL_BlitSurface(s, nullptr, target.get(), nullptr) != 0) return nullptr;
  }
  bitmap->MarkDirty();
  return bitmap;
}

std::unique_ptr<Gdiplus::Bitmap> AlphaFromSurface(SDL_Surface* s) {
  // Converting keeps a colour key as transparency; premultiplying needs
  // exactly this format.
  SurfacePtr argb(SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0));
  if (!argb) return nullptr;
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(s->w, s->h, Gdiplus::PixelFormat::Format32bppARGB);
  if (!bitmap->IsValid()) return nullptr;
  if (SDL_PremultiplyAlpha(s->w, s->h, SDL_PIXELFORMAT_ARGB8888, argb->pixels, argb->pitch,
                           SDL_PIXELFORMAT_ARGB8888, bitmap->GetData(), bitmap->GetStride()) != 0)
    return nullptr;
  bitmap->MarkDirty();
  return bitmap;
}

bool IsOpaque(SDL_Surface* s) {
  if (s->format->BytesPerPixel != 4 || SDL_HasColorKey(s)) return false;
  const Uint32 mask = s->format->Amask;
  for (int y = 0; y < s->h; ++y) {
    const auto* row = reinterpret_cast<const Uint32*>(static_cast<const std::uint8_t*>(s->pixels) + std::size_t(y) * s->pitch);
    for (int x = 0; x < s->w; ++x)
      if ((row[x] & mask) != mask) return false;
  }
  return true;
}

// Turns the picture the way its EXIF orientation (2-8) says.
std::unique_ptr<Gdiplus::Bitmap> Orient(std::unique_ptr<Gdiplus::Bitmap> in, int orientation) {
  if (orientation <= 1 || orientation > 8) return in;
  const int w = in->GetWidth(), h = in->GetHeight();
  const bool swaps = orientation >= 5;
  auto out = std::make_unique<Gdiplus::Bitmap>(swaps ? h : w, swaps ? w : h, in->GetPixelFormat());
  if (!out->IsValid()) return in;
  for (int sy = 0; sy < h; ++sy) {
    const std::uint32_t* src = in->GetRow(sy);
    for (int sx = 0; sx < w; ++sx) {
      int dx = sx, dy = sy;
      switch (orientation) {
        case 2: dx = w - 1 - sx; break;                       // mirrored
        case 3: dx = w - 1 - sx; dy = h - 1 - sy; break;      // upside down
        case 4: dy = h - 1 - sy; break;                       // mirrored upside down
        case 5: dx = sy; dy = sx; break;                      // transposed
        case 6: dx = h - 1 - sy; dy = sx; break;              // needs a quarter turn clockwise
        case 7: dx = h - 1 - sy; dy = w - 1 - sx; break;      // transversed
        case 8: dx = sy; dy = w - 1 - sx; break;              // needs a quarter turn anticlockwise
      }
      out->GetRow(dy)[dx] = src[sx];
    }
  }
  out->MarkDirty();
  return out;
}

// --- A growable memory stream for the encoders --------------------------------

struct MemStream {
  std::vector<std::uint8_t>* bytes;
  std::size_t pos;
};

MemStream& StreamOf(SDL_RWops* rw) { return *static_cast<MemStream*>(rw->hidden.unknown.data1); }

Sint64 SDLCALL MemSize(SDL_RWops* rw) { return static_cast<Sint64>(StreamOf(rw).bytes->size()); }

Sint64 SDLCALL MemSeek(SDL_RWops* rw, Sint64 offset, int whence) {
  MemStream& m = StreamOf(rw);
  const Sint64 base = whence == RW_SEEK_SET ? 0 : whence == RW_SEEK_CUR ? Sint64(m.pos) : Sint64(m.bytes->size());
  const Sint64 target = base + offset;
  if (target < 0) return SDL_SetError("seek before start");
  m.pos = static_cast<std::size_t>(target);
  return target;
}

size_t SDLCALL MemRead(SDL_RWops* rw, void* data, size_t size, size_t count) {
  MemStream& m = StreamOf(rw);
  if (size == 0 || m.pos >= m.bytes->size()) return 0;
  const std::size_t n = std::min(count, (m.bytes->size() - m.pos) / size);
  std::memcpy(data, m.bytes->data() + m.pos, n * size);
  m.pos += n * size;
  return n;
}

size_t SDLCALL MemWrite(SDL_RWops* rw, const void* data, size_t size, size_t count) {
  MemStream& m = StreamOf(rw);
  if (size == 0 || count == 0 || count > SIZE_MAX / size) return 0;
  const std::size_t n = size * count;
  if (m.pos + n > m.bytes->size()) m.bytes->resize(m.pos + n);
  std::memcpy(m.bytes->data() + m.pos, data, n);
  m.pos += n;
  return count;
}

int SDLCALL MemClose(SDL_RWops* rw) {
  SDL_FreeRW(rw);
  return 0;
}

// A stream that grows the vector it writes into; the stream state must
// outlive it, and the caller closes it.
SDL_RWops* OpenGrowableStream(MemStream& state) {
  SDL_RWops* rw = SDL_AllocRW();
  if (!rw) return nullptr;
  rw->size = MemSize;
  rw->seek = MemSeek;
  rw->read = MemRead;
  rw->write = MemWrite;
  rw->close = MemClose;
  rw->type = SDL_RWOPS_UNKNOWN;
  rw->hidden.unknown.data1 = &state;
  return rw;
}

// A straight (not premultiplied) ARGB copy of an ARGB bitmap, for encoders
// that store alpha.
SurfacePtr StraightAlphaSurface(const Gdiplus::Bitmap& image) {
  SurfacePtr s(SDL_CreateRGBSurfaceWithFormat(0, image.GetWidth(), image.GetHeight(), 32, SDL_PIXELFORMAT_ARGB8888));
  if (!s) return nullptr;
  for (int y = 0; y < image.GetHeight(); ++y) {
    const std::uint32_t* src = image.GetRow(y);
    auto* dst = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(s->pixels) + std::size_t(y) * s->pitch);
    for (int x = 0; x < image.GetWidth(); ++x) {
      const std::uint32_t p = src[x];
      const std::uint32_t a = p >> 24;
      if (a == 255 || a == 0) {
        dst[x] = a ? p : 0;
        continue;
      }
      auto un = [a](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a); };
      dst[x] = (a << 24) | (un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) | un(p & 0xFF);
    }
  }
  return s;
}

enum class Writer { kNone, kJpeg, kPng, kBmp };

bool EncodeWith(const Gdiplus::Bitmap& image, Writer writer, std::vector<std::uint8_t>& out) {
  out.clear();
  if (!image.IsValid() || writer == Writer::kNone) return false;
  SurfacePtr surface;
  if (image.HasAlpha() && writer != Writer::kJpeg) {
    surface = StraightAlphaSurface(image);
  } else {
    // JPEG has no alpha: the premultiplied colours are the picture over black.
    surface = WrapBitmap(image, SDL_PIXELFORMAT_XRGB8888);
    if (surface && writer == Writer::kPng) {
      // Three bytes a pixel, so the PNG carries no alpha channel.
      surface.reset(SDL_ConvertSurfaceFormat(surface.get(), SDL_PIXELFORMAT_RGB24, 0));
    }
  }
  if (!surface) return false;
  MemStream state{&out, 0};
  SDL_RWops* rw = OpenGrowableStream(state);
  if (!rw) return false;
  int rc = -1;
  switch (writer) {
    case Writer::kJpeg: rc = IMG_SaveJPG_RW(surface.get(), rw, 0, kJpegQuality); break;
    case Writer::kPng: rc = IMG_SavePNG_RW(surface.get(), rw, 0); break;
    case Writer::kBmp: rc = SDL_SaveBMP_RW(surface.get(), rw, 0); break;
    case Writer::kNone: break;
  }
  SDL_RWclose(rw);
  if (rc != 0) out.clear();
  return rc == 0 && !out.empty();
}

Writer WriterForMime(std::string_view mime) {
  if (mime == "image/jpeg") return Writer::kJpeg;
  if (mime == "image/png") return Writer::kPng;
  return Writer::kNone;
}


}  // namespace

std::unique_ptr<Gdiplus::Bitmap> DecodeImage(std::span<const std::uint8_t> bytes, ExifOrientation orientation) {
  const ImageProbe probe = ProbeImage(bytes);
  const char* loader = LoaderName(probe.type);
  if (!loader || probe.width > Gdiplus::Bitmap::kMaxSide || probe.height > Gdiplus::Bitmap::kMaxSide ||
      !DeclaresAtMost(probe, kMaxImagePixels))
    return nullptr;
  if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) return nullptr;
  const int turn = orientation == ExifOrientation::kApply && probe.type == ImageType::kJpeg ? probe.orientation : 1;
  // The image library hands CMYK pictures over as raw ink values; they are
  // decoded here with the JPEG library itself.
  if (probe.type == ImageType::kJpeg && probe.components == 4) {
    std::unique_ptr<Gdiplus::Bitmap> bitmap = DecodeCmykJpeg(bytes);
    return bitmap ? Orient(std::move(bitmap), turn) : nullptr;
  }
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!rw) return nullptr;
  SurfacePtr surface(IMG_LoadTyped_RW(rw, 1, loader));
  if (!surface || surface->w <= 0 || surface->h <= 0 || surface->w > Gdiplus::Bitmap::kMaxSide ||
      surface->h > Gdiplus::Bitmap::kMaxSide)
    return nullptr;
  bool alpha = surface->format->Amask != 0 || SDL_HasColorKey(surface.get());
  // The TIFF reader hands every picture over with alpha; an opaque one
  // becomes an RGB bitmap like any other opaque picture.
  if (alpha && probe.type == ImageType::kTiff && IsOpaque(surface.get())) alpha = false;
  std::unique_ptr<Gdiplus::Bitmap> bitmap = alpha ? AlphaFromSurface(surface.get()) : OpaqueFromSurface(surface.get());
  if (!bitmap) return nullptr;
  return Orient(std::move(bitmap), turn);
}

namespace {

// Even the largest picture we accept compresses to far less than this.
constexpr std::size_t kMaxFileBytes = std::size_t(1) << 30;

bool ReadPictureFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size <= 0 || size > static_cast<std::streamoff>(kMaxFileBytes)) return false;
  in.seekg(0);
  bytes.resize(static_cast<std::size_t>(size));
  return static_cast<bool>(in.read(reinterpret_cast<char*>(bytes.data()), size));
}

}  // namespace

std::unique_ptr<Gdiplus::Bitmap> LoadImageFile(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (!ReadPictureFile(path, bytes)) return nullptr;
  return DecodeImage(bytes, ExifOrientation::kApply);
}

BoundedImage LoadImageFileWithin(const std::string& path, int maxSide, std::int64_t maxPixels) {
  BoundedImage image;
  std::vector<std::uint8_t> bytes;
  if (!ReadPictureFile(path, bytes)) return image;
  const ImageProbe probe = ProbeImage(bytes);
  if (probe.type == ImageType::kUnknown) return image;
  if (probe.type == ImageType::kJpeg && (probe.width > maxSide || probe.height > maxSide)) {
    // Reduced no further than the decoder's steps need, unless the picture
    // would then hold more pixels than a square of maxSide.
    const std::int64_t budget = std::min(maxPixels, std::int64_t(maxSide) * maxSide);
    std::unique_ptr<Gdiplus::Bitmap> bitmap = DecodeJpegReduced(bytes, maxSide, budget);
    if (bitmap) image.bitmap = Orient(std::move(bitmap), probe.orientation);
    return image;
  }
  if (!DeclaresAtMost(probe, maxPixels)) {
    image.tooLarge = true;
    return image;
  }
  image.bitmap = DecodeImage(bytes, ExifOrientation::kApply);
  return image;
}

bool HasImageEncoder(std::string_view mime) { return WriterForMime(mime) != Writer::kNone; }

bool EncodeImage(const Gdiplus::Bitmap& image, std::string_view mime, std::vector<std::uint8_t>& out) {
  return EncodeWith(image, WriterForMime(mime), out);
}

bool SaveImageByExtension(const Gdiplus::Bitmap& image, const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  if (!ext.empty()) ext.erase(0, 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  Writer writer = Writer::kNone;
  if (ext == "png") writer = Writer::kPng;
  else if (ext == "jpg" || ext == "jpeg") writer = Writer::kJpeg;
  else if (ext == "bmp") writer = Writer::kBmp;
  // "gif" and "tif" have no writer here; saving them, like any other
  // extension, saves nothing rather than bytes of another format.
  std::vector<std::uint8_t> bytes;
  if (!EncodeWith(image, writer, bytes)) return false;
  return WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace platform
