#include "data/numbers.h"

#include <cctype>
#include <charconv>
#include <limits>

namespace numtext {

namespace {

// Skips the blanks "%d" and friends skip, and a "+" sign that from_chars
// does not accept.
std::string_view SkipLeading(std::string_view text, bool& negative) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n' ||
                             text[i] == '\v' || text[i] == '\f'))
    ++i;
  negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  return text.substr(i);
}

}  // namespace

std::string FormatInt(long long value) {
  char buf[24];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::string FormatFixed(double value, int decimals) {
  // Large enough for the widest double in fixed notation with the decimals
  // any file uses.
  char buf[400];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::string FormatGeneral(double value) {
  char buf[40];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 6);
  return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::string FormatHex(std::uint32_t value) {
  char buf[12] = {'0', 'x'};
  auto [end, ec] = std::to_chars(buf + 2, buf + sizeof buf, value, 16);
  return ec == std::errc() ? std::string(buf, end) : std::string("0x0");
}

bool ParseInt(std::string_view text, int& out) {
  bool negative = false;
  std::string_view digits = SkipLeading(text, negative);
  unsigned long long magnitude = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
  if (end == digits.data()) return false;
  constexpr unsigned long long kMaxPositive = std::numeric_limits<int>::max();
  if (ec == std::errc::result_out_of_range || magnitude > kMaxPositive + (negative ? 1 : 0)) {
    out = negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    return true;
  }
  out = negative ? static_cast<int>(-static_cast<long long>(magnitude)) : static_cast<int>(magnitude);
  return true;
}

bool ParseDouble(std::string_view text, double& out) {
  bool negative = false;
  std::string_view digits = SkipLeading(text, negative);
  double value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (end == digits.data()) return false;
  if (ec == std::errc::result_out_of_range) {
    // Out of range: a negative exponent means too small (0), else too large.
    const std::size_t e = digits.substr(0, static_cast<std::size_t>(end - digits.data())).find_first_of("eE");
    const bool tiny = e != std::string_view::npos && e + 1 < digits.size() && digits[e + 1] == '-';
    value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
  }
  out = negative ? -value : value;
  return true;
}

bool ParseFloat(std::string_view text, float& out) {
  double value = 0;
  if (!ParseDouble(text, value)) return false;
  out = static_cast<float>(value);
  return true;
}

bool ParseHex(std::string_view text, std::uint32_t& out) {
  bool negative = false;
  std::string_view digits = SkipLeading(text, negative);
  if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    // "0x" with no hexadecimal digit after it still reads as 0, like sscanf.
    if (digits.size() == 2 || !std::isxdigit(static_cast<unsigned char>(digits[2]))) {
      out = 0;
      return true;
    }
    digits.remove_prefix(2);
  }
  unsigned long long value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  if (end == digits.data()) return false;
  if (ec == std::errc::result_out_of_range || value > 0xFFFFFFFFull) value = 0xFFFFFFFFull;
  std::uint32_t v = static_cast<std::uint32_t>(value);
  out = negative ? static_cast<std::uint32_t>(0u - v) : v;
  return true;
}

}  // namespace numtext
