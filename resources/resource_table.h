#pragma once
// The table of resources compiled into the program. The build writes the
// table (see resources.cmake); platform/resources.cpp searches it.

#include <cstddef>
#include <cstdint>

namespace tandrill_resources {

struct Entry {
  const char* type;  // "IMG", "SOUND", "ICON"
  const char* name;  // upper case, as the program asks for it
  const std::uint8_t* bytes;
  std::size_t size;
};

extern const Entry kTable[];
extern const std::size_t kTableSize;

}  // namespace tandrill_resources
