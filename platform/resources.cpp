#include "platform/resources.h"

#include <cstddef>

#include "resources/resource_table.h"

namespace platform {
namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Resource names are plain ASCII; other bytes compare exactly.
bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

}  // namespace

std::span<const std::uint8_t> FindResource(std::string_view type, std::string_view name) {
  // Fourteen entries: a straight search is as fast as anything cleverer.
  for (std::size_t i = 0; i < tandrill_resources::kTableSize; ++i) {
    const auto& entry = tandrill_resources::kTable[i];
    if (EqualsIgnoringCase(entry.type, type) && EqualsIgnoringCase(entry.name, name))
      return {entry.bytes, entry.size};
  }
  return {};
}

}  // namespace platform
