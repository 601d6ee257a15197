#pragma once
// The byte sink every record writes itself into, with the tag conventions all
// of the program's files share: one item a line, no indentation, a container
// as a start line and an end line, a leaf as one line, a true flag as an
// empty-element line (absent when false), free text as Base64, colours as
// "0x%x", reals with two decimals. Each "\n" written becomes CR LF, so that
// the files read the same on every system the game has run on.

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "data/numbers.h"

class CRSXMLWriter {
 public:
  CRSXMLWriter();
  ~CRSXMLWriter();
  CRSXMLWriter(const CRSXMLWriter&) = delete;
  CRSXMLWriter& operator=(const CRSXMLWriter&) = delete;

  // Appends text, turning each "\n" into CR LF.
  void Write(std::string_view text);
  // printf-style formatting, always in the C locale. Numbers are better
  // written with the helpers of data/numbers.h; this stays for tag lines
  // built around integers.
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // "<name>\n" and "</name>\n".
  void StartTag(std::string_view name);
  void EndTag(std::string_view name);
  // "<name>value</name>\n"; value is written as it is.
  void Leaf(std::string_view name, std::string_view value);
  // "<name>value</name>\n" with markup characters escaped, for the few raw
  // text fields (store-room music file, font family).
  void LeafEscaped(std::string_view name, std::string_view value);
  void LeafInt(std::string_view name, long long value);
  // Two decimals ("%.2f").
  void LeafReal(std::string_view name, double value);
  // "0x%x": lower-case hexadecimal without leading zeros.
  void LeafColour(std::string_view name, std::uint32_t colour);
  // "<name/>\n" when set; nothing when not.
  void Flag(std::string_view name, bool set);
  // Free text: the Base64 form of the text's bytes.
  void LeafText(std::string_view name, std::string_view text);
  // Raw bytes (music) as Base64.
  void LeafBytes(std::string_view name, std::span<const std::uint8_t> bytes);

  // A standard stream over the same bytes (with the same "\n" to CR LF
  // rule), for writers that format through std::ostream. It formats in the
  // classic locale, whatever the program's global one.
  std::ostream& Stream();

  const std::string& GetBytes() const { return m_bytes; }
  std::string TakeBytes() { return std::move(m_bytes); }
  void Clear() { m_bytes.clear(); }

  // Writes everything to path atomically: a temporary file in the same
  // folder, flushed, then renamed over the old one, so that a failure never
  // leaves a half-written file in its place. False on any failure.
  bool SaveToFile(const std::string& path) const;

 private:
  // "<name>" with nothing after it, the start of a one-line element.
  void OpenLeaf(std::string_view name);
  class StreamBuffer;

  std::string m_bytes;
  std::unique_ptr<StreamBuffer> m_buffer;
  std::unique_ptr<std::ostream> m_stream;
};

