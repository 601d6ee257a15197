// Reading and writing the program's files: the XML reader, Base64 and the
// JPEG codec of embedded pictures, each beside a memcpy of the same bytes.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "data/base64.h"
#include "data/xml.h"
#include "data/xml_text.h"
#include "data/xml_values.h"
#include "platform/image_codec.h"

namespace {

constexpr std::size_t kTenMB = 10u << 20;

std::vector<std::uint8_t> RandomBytes(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  std::mt19937 rng(1);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
  return bytes;
}

// A piece record like the puzzle file's: its attributes, a position element
// and a rotation.
class PieceReader : public CRSXMLParser::XHandler {
 public:
  PieceReader() { SetReceivesOpeningElement(true); }
  void OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                 const std::string& text) override {
    const std::string key = xmltext::ToLower(name);
    if (key == "puzzle-piece") {
      if (const std::string* x = xmltext::FindAttribute(attributes, "x")) xmltext::ParseInt(*x, column);
    } else if (key == "pointf") {
      GetParser()->PushHandler(&position);
    } else if (key == "rotation") {
      xmltext::ParseFloat(text, rotation);
    }
  }
  int column = 0;
  float rotation = 0;
  CRSXMLPointF position;
};

class PiecesReader : public CRSXMLParser::XHandler {
 public:
  void OnElement(const std::string& name, const CRSXMLParser::Attributes&, const std::string&) override {
    if (xmltext::EqualsNoCase(name, "puzzle-piece")) {
      ++count;
      GetParser()->PushHandler(&piece);
    }
  }
  int count = 0;
  PieceReader piece;
};

std::string PiecesDocument(std::size_t bytes) {
  std::string doc = "<pieces>\r\n";
  for (int i = 0; doc.size() < bytes; ++i) {
    doc += "<puzzle-piece x=\"" + std::to_string(i % 64) + "\" y=\"" + std::to_string(i / 64) + "\">\r\n";
    doc += "<pointf x=\"" + std::to_string(i % 1000) + ".25\" y=\"17.50\" />\r\n<rotation>90.00</rotation>\r\n";
    doc += "</puzzle-piece>\r\n";
  }
  doc += "</pieces>\r\n";
  return doc;
}

// A 1920 x 1080 picture with smooth shading, edges and grain, which JPEG
// treats like a photograph.
std::unique_ptr<Bitmap> PhotoLike() {
  auto b = std::make_unique<Bitmap>(1920, 1080, PixelFormat::Format24bppRGB);
  std::mt19937 rng(3);
  for (int y = 0; y < 1080; ++y) {
    std::uint32_t* row = b->GetRow(y);
    for (int x = 0; x < 1920; ++x) {
      const double shade = 0.5 + 0.5 * std::sin(x * 0.01) * std::cos(y * 0.013);
      const int grain = static_cast<int>(rng() % 24) - 12;
      const bool disc = (x - 900) * (x - 900) + (y - 500) * (y - 500) < 300 * 300;
      auto c = [&](double v) { return static_cast<std::uint32_t>(std::clamp(v + grain, 0.0, 255.0)); };
      const std::uint32_t r = c(disc ? 220 : 255 * shade), g = c(disc ? 120 : 180 * shade + 40),
                          bl = c(disc ? 40 : 255 * (1 - shade));
      row[x] = 0xFF000000u | (r << 16) | (g << 8) | bl;
    }
  }
  b->MarkDirty();
  return b;
}

void BM_Floor_Memcpy10MB(benchmark::State& state) {
  const std::vector<std::uint8_t> src = RandomBytes(kTenMB);
  std::vector<std::uint8_t> dst(kTenMB);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), kTenMB);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kTenMB);
}
BENCHMARK(BM_Floor_Memcpy10MB);

// Budget: at least 100 MB/s through the handler stack.
void BM_XmlParse10MB(benchmark::State& state) {
  const std::string doc = PiecesDocument(kTenMB);
  for (auto _ : state) {
    PiecesReader reader;
    CRSXMLParser parser;
    if (parser.ParseText(doc, &reader) != 0) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(reader.count);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * doc.size());
}
BENCHMARK(BM_XmlParse10MB)->Unit(benchmark::kMillisecond);

// Budget: at least 1 GB/s of input bytes.
void BM_Base64Encode10MB(benchmark::State& state) {
  const std::vector<std::uint8_t> bytes = RandomBytes(kTenMB);
  for (auto _ : state) {
    std::string text = Base64Encode(bytes);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kTenMB);
}
BENCHMARK(BM_Base64Encode10MB)->Unit(benchmark::kMillisecond);

// Budget: at least 700 MB/s of Base64 text.
void BM_Base64Decode10MB(benchmark::State& state) {
  const std::string text = Base64Encode(RandomBytes(kTenMB / 4 * 3));
  for (auto _ : state) {
    std::vector<std::uint8_t> bytes = Base64Decode(text);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * text.size());
}
BENCHMARK(BM_Base64Decode10MB)->Unit(benchmark::kMillisecond);

// Budget: under 30 ms for a 1920 x 1080 photograph from memory.
void BM_JpegDecode1080p(benchmark::State& state) {
  std::vector<std::uint8_t> jpeg;
  if (!platform::EncodeImage(*PhotoLike(), "image/jpeg", jpeg)) state.SkipWithError("encode failed");
  for (auto _ : state) {
    auto bitmap = platform::DecodeImage(jpeg);
    benchmark::DoNotOptimize(bitmap.get());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * jpeg.size());
}
BENCHMARK(BM_JpegDecode1080p)->Unit(benchmark::kMillisecond);

// Budget: under 20 ms for a 1920 x 1080 photograph to memory.
void BM_JpegEncode1080p(benchmark::State& state) {
  const auto picture = PhotoLike();
  std::vector<std::uint8_t> jpeg;
  for (auto _ : state) {
    platform::EncodeImage(*picture, "image/jpeg", jpeg);
    benchmark::DoNotOptimize(jpeg.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 1920 * 1080 * 4);
}
BENCHMARK(BM_JpegEncode1080p)->Unit(benchmark::kMillisecond);

}  // namespace
