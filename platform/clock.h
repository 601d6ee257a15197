#pragma once
// Milliseconds since the program's clock started, wrapping at 32 bits like
// a classic platform tick count. Differences of two
// readings are taken in unsigned arithmetic, so they stay right across a wrap.

#include <cstdint>

namespace platform {

std::uint32_t GetTickCount();

}  // namespace platform
