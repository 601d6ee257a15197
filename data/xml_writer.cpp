#include "data/xml_writer.h"

#include <locale.h>

#include <cstdio>
#include <locale>

#include "data/base64.h"
#include "data/numbers.h"
#include "data/xml_text.h"
#include "platform/files.h"

// Hands every character written to the stream to the writer, unbuffered,
// so that the stream and the writer's own calls can be mixed freely.
class CRSXMLWriter::StreamBuffer : public std::streambuf {
 public:
  explicit StreamBuffer(CRSXMLWriter& writer) : m_writer(writer) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    m_writer.Write(std::string_view(&ch, 1));
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    m_writer.Write(std::string_view(s, static_cast<std::size_t>(n)));
    return n;
  }

 private:
  CRSXMLWriter& m_writer;
};

CRSXMLWriter::CRSXMLWriter() = default;
CRSXMLWriter::~CRSXMLWriter() = default;

std::ostream& CRSXMLWriter::Stream() {
  if (!m_stream) {
    m_buffer = std::make_unique<StreamBuffer>(*this);
    m_stream = std::make_unique<std::ostream>(m_buffer.get());
    m_stream->imbue(std::locale::classic());
  }
  return *m_stream;
}

void CRSXMLWriter::Write(std::string_view text) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t nl = text.find('\n', start);
    if (nl == std::string_view::npos) {
      m_bytes.append(text.substr(start));
      return;
    }
    m_bytes.append(text.substr(start, nl - start));
    m_bytes.append("\r\n");
    start = nl + 1;
  }
}

namespace {

// The C locale as a locale object, made once: formatting under it gives the
// same text whatever locale the process runs in.
locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return c;
}

// Switches the calling thread to the C locale for its lifetime; the rest of
// the process keeps its own.
class ScopedCLocale {
 public:
  ScopedCLocale() : m_old(CLocale() ? uselocale(CLocale()) : static_cast<locale_t>(0)) {}
  ~ScopedCLocale() {
    if (m_old) uselocale(m_old);
  }
  ScopedCLocale(const ScopedCLocale&) = delete;
  ScopedCLocale& operator=(const ScopedCLocale&) = delete;

 private:
  locale_t m_old;
};

}  // namespace

void CRSXMLWriter::Printf(const char* format, ...) {
  const ScopedCLocale cLocale;
  char small[256];
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (n < 0) {
    va_end(copy);
    return;
  }
  if (static_cast<std::size_t>(n) < sizeof small) {
    va_end(copy);
    Write(std::string_view(small, static_cast<std::size_t>(n)));
    return;
  }
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  std::vsnprintf(big.data(), big.size(), format, copy);
  va_end(copy);
  big.resize(static_cast<std::size_t>(n));
  Write(big);
}

void CRSXMLWriter::StartTag(std::string_view name) {
  m_bytes += '<';
  m_bytes += name;
  m_bytes += ">\r\n";
}

void CRSXMLWriter::EndTag(std::string_view name) {
  m_bytes += "</";
  m_bytes += name;
  m_bytes += ">\r\n";
}

void CRSXMLWriter::OpenLeaf(std::string_view name) {
  m_bytes += '<';
  m_bytes += name;
  m_bytes += '>';
}

void CRSXMLWriter::Leaf(std::string_view name, std::string_view value) {
  OpenLeaf(name);
  Write(value);
  EndTag(name);
}

void CRSXMLWriter::LeafEscaped(std::string_view name, std::string_view value) {
  Leaf(name, xmltext::EscapeMarkup(value));
}

void CRSXMLWriter::LeafInt(std::string_view name, long long value) { Leaf(name, numtext::FormatInt(value)); }

void CRSXMLWriter::LeafReal(std::string_view name, double value) { Leaf(name, FormatReal(value, 2)); }

void CRSXMLWriter::LeafColour(std::string_view name, std::uint32_t colour) {
  Leaf(name, numtext::FormatHex(colour));
}

void CRSXMLWriter::Flag(std::string_view name, bool set) {
  if (!set) return;
  m_bytes += '<';
  m_bytes += name;
  m_bytes += "/>\r\n";
}

void CRSXMLWriter::LeafText(std::string_view name, std::string_view text) {
  LeafBytes(name, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

void CRSXMLWriter::LeafBytes(std::string_view name, std::span<const std::uint8_t> bytes) {
  OpenLeaf(name);
  Base64EncodeAppend(bytes, m_bytes);
  EndTag(name);
}

bool CRSXMLWriter::SaveToFile(const std::string& path) const {
  return platform::WriteFileAtomically(path, m_bytes);
}

