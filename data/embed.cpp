#include "data/embed.h"

#include <fstream>

#include "data/base64.h"
#include "platform/image_codec.h"

std::string EncodeImageBase64(const Gdiplus::Bitmap& image, std::string_view mime) {
  std::vector<std::uint8_t> bytes;
  if (!platform::EncodeImage(image, mime, bytes)) return {};
  return Base64Encode(bytes);
}

std::unique_ptr<Gdiplus::Bitmap> DecodeImageBase64(std::string_view text) {
  const std::vector<std::uint8_t> bytes = Base64Decode(text);
  if (bytes.empty()) return nullptr;
  return platform::DecodeImage(bytes);
}

bool CRSEmbeddedImage::SetBase64(std::string text) {
  m_base64 = std::move(text);
  m_image = DecodeImageBase64(m_base64);
  return m_image != nullptr;
}

bool CRSEmbeddedImage::SetImage(std::unique_ptr<Gdiplus::Bitmap> image, std::string_view mime) {
  m_base64.clear();
  m_image = std::move(image);
  if (!m_image) return true;
  m_base64 = EncodeImageBase64(*m_image, mime);
  return !m_base64.empty();
}

void CRSEmbeddedImage::Clear() {
  m_base64.clear();
  m_image.reset();
}

bool EncodeMusicFileBase64(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<std::uint64_t>(size) > kMaxMusicBytes) return false;
  in.seekg(0);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) return false;
  out = Base64Encode(bytes);
  return true;
}

std::vector<std::uint8_t> DecodeMusicBase64(std::string_view text) { return Base64Decode(text); }
