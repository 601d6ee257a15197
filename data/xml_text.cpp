#include "data/xml_text.h"

#include <cstring>

#include "data/base64.h"
#include "platform/utf8.h"

namespace xmltext {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The code points of bytes 0x80-0x9F in Windows-1252; 0 marks the five
// unassigned bytes.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};


}  // namespace

std::string ToLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

const std::string* FindAttribute(const CRSXMLParser::Attributes& attributes, std::string_view name) {
  for (const auto& [key, value] : attributes)
    if (EqualsNoCase(key, name)) return &value;
  return nullptr;
}

void Utf8Checker::Feed(std::string_view bytes) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n && m_valid; ++i) {
    // Files are mostly Base64: skip plain ASCII eight bytes at a time.
    if (m_pending == 0) {
      std::uint64_t word;
      while (i + sizeof word <= n) {
        std::memcpy(&word, s + i, sizeof word);
        if (word & 0x8080808080808080ull) break;
        i += sizeof word;
      }
      if (i == n) return;
    }
    const unsigned char c = s[i];
    if (m_pending == 0) {
      if (c < 0x80) continue;
      if (c >= 0xC2 && c <= 0xDF) {
        m_length = 2;
        m_code = c & 0x1F;
      } else if (c >= 0xE0 && c <= 0xEF) {
        m_length = 3;
        m_code = c & 0x0F;
      } else if (c >= 0xF0 && c <= 0xF4) {
        m_length = 4;
        m_code = c & 0x07;
      } else {
        m_valid = false;
        return;
      }
      m_pending = m_length - 1;
      continue;
    }
    if ((c & 0xC0) != 0x80) {
      m_valid = false;
      return;
    }
    m_code = (m_code << 6) | (c & 0x3F);
    if (--m_pending > 0) continue;
    // Overlong forms, surrogates and code points past U+10FFFF.
    if ((m_length == 3 && m_code < 0x800) || (m_length == 4 && (m_code < 0x10000 || m_code > 0x10FFFF)) ||
        (m_code >= 0xD800 && m_code <= 0xDFFF))
      m_valid = false;
  }
}

bool IsValidUtf8(std::string_view bytes) {
  Utf8Checker checker;
  checker.Feed(bytes);
  return checker.Finish();
}

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else if (c < 0xA0) {
      const char16_t mapped = kCp1252High[c - 0x80];
      platform::AppendUtf8(out, mapped ? mapped : 0xFFFD);
    } else {
      platform::AppendUtf8(out, c);
    }
  }
  return out;
}

std::string TextFromBytes(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return Windows1252ToUtf8(bytes);
}

std::string TextFromBase64(std::string_view base64) { return TextFromBytes(Base64DecodeToString(base64)); }

std::string EscapeMarkup(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace xmltext
