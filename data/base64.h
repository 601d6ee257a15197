#pragma once
// Base64 with the standard alphabet and "=" padding, no line breaks. The
// decoder is forgiving in the way files need: characters outside the
// alphabet (line breaks, blanks, rubbish) are skipped, and decoding ends at
// an "=" in the third or fourth place of a group, or at the end of the text.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

std::string Base64Encode(std::span<const std::uint8_t> bytes);
std::string Base64Encode(std::string_view bytes);
// Appends to out (reserving room first, so appending never reallocates).
void Base64EncodeAppend(std::span<const std::uint8_t> bytes, std::string& out);

std::vector<std::uint8_t> Base64Decode(std::string_view text);
std::string Base64DecodeToString(std::string_view text);
// Appends the decoded bytes to out.
void Base64DecodeAppend(std::string_view text, std::vector<std::uint8_t>& out);
