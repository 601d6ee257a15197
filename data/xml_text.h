#pragma once
// Small text helpers shared by the reader and the records: ASCII
// case-insensitive names, number parsing in the spirit of "%d", "%f" and
// "0x%x" (leading blanks skipped, trailing rubbish ignored, nothing changed
// when there is no number), and the conversion of free text read from files.

#include <cstdint>
#include <string>
#include <string_view>

#include "data/xml.h"

namespace xmltext {

// ASCII lower case; bytes above 127 are left alone.
std::string ToLower(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);

// The value of the attribute named name (compared without case), or null.
const std::string* FindAttribute(const CRSXMLParser::Attributes& attributes, std::string_view name);

// Each returns false and leaves out alone when the text holds no number.
// Integers that do not fit are clamped rather than wrapped.
bool ParseInt(std::string_view text, int& out);
bool ParseFloat(std::string_view text, float& out);
bool ParseDouble(std::string_view text, double& out);
bool ParseHex(std::string_view text, std::uint32_t& out);  // "0x%x"; the "0x" may be left out

bool IsValidUtf8(std::string_view bytes);
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
