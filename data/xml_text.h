#pragma once
// Small text helpers shared by the reader and the records: ASCII
// case-insensitive names, number parsing (the locale-independent readers of
// data/numbers.h) and the conversion of free text read from files.

#include <cstdint>
#include <string>
#include <string_view>

#include "data/numbers.h"
#include "data/xml.h"

namespace xmltext {

// ASCII lower case; bytes above 127 are left alone.
std::string ToLower(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);

// The value of the attribute named name (compared without case), or null.
const std::string* FindAttribute(const CRSXMLParser::Attributes& attributes, std::string_view name);

// The number readers every record uses; see data/numbers.h.
using numtext::ParseDouble;
using numtext::ParseFloat;
using numtext::ParseHex;
using numtext::ParseInt;

bool IsValidUtf8(std::string_view bytes);
// The same check for bytes that arrive in pieces (a file read in chunks):
// a character may be split between two pieces.
class Utf8Checker {
 public:
  void Feed(std::string_view bytes);
  // True when every byte fed so far was valid UTF-8 and no character was
  // left unfinished.
  bool Finish() const { return m_valid && m_pending == 0; }
  bool StillValid() const { return m_valid; }

 private:
  bool m_valid = true;
  int m_pending = 0;   // continuation bytes still expected
  int m_length = 0;    // bytes of the character being read
  char32_t m_code = 0;  // its code point so far
};
// Windows-1252 bytes as UTF-8 (the five unassigned bytes become U+FFFD).
std::string Windows1252ToUtf8(std::string_view bytes);
// Free text decoded from a file: valid UTF-8 is taken as it is; anything
// else was written by an older build in the Windows code page.
std::string TextFromBytes(std::string_view bytes);
// Base64 text to free text by the rule above.
std::string TextFromBase64(std::string_view base64);

// "&", "<", ">" and '"' as character references, for raw text in elements.
std::string EscapeMarkup(std::string_view text);

}  // namespace xmltext
