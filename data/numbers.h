#pragma once
// Numbers as the program's files hold them. Every number written to a file
// or read from one goes through these helpers, never through printf,
// strtod or a stream, because those follow the process locale: under a
// German locale they write "0,5" and read "0.5" back as 0. The helpers sit
// on std::to_chars and std::from_chars, which always use a ".".
//
// Reading is in the spirit of "%d", "%f" and "0x%x": leading blanks are
// skipped, trailing rubbish is ignored, and nothing is changed when there
// is no number.

#include <cstdint>
#include <string>
#include <string_view>

namespace numtext {

// "%d".
std::string FormatInt(long long value);
// "%.<decimals>f": fixed notation with exactly that many decimals.
std::string FormatFixed(double value, int decimals);
// "%g": six significant digits, trailing zeros dropped, an exponent only
// for very large or very small values.
std::string FormatGeneral(double value);
// "0x%x": lower-case hexadecimal without leading zeros.
std::string FormatHex(std::uint32_t value);

// Each returns false and leaves out alone when the text holds no number.
// Integers that do not fit are clamped rather than wrapped; reals too large
// for a double read as infinity, too small ones as 0.
bool ParseInt(std::string_view text, int& out);
bool ParseFloat(std::string_view text, float& out);
bool ParseDouble(std::string_view text, double& out);
bool ParseHex(std::string_view text, std::uint32_t& out);  // the "0x" may be left out

}  // namespace numtext

// The decimal text of value with the given number of decimals ("%.2f" for
// 2), whatever the process locale.
inline std::string FormatReal(double value, int decimals = 2) { return numtext::FormatFixed(value, decimals); }
