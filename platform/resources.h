#pragma once
// The program's built-in resources (artwork, sounds, the icon), compiled into
// the executable and looked up by type and name.

#include <cstdint>
#include <span>
#include <string_view>

namespace platform {

// The bytes of the resource of this type ("IMG", "SOUND", "ICON", ...) and
// name, compared case-insensitively; empty when there is none. The bytes live
// as long as the program.
std::span<const std::uint8_t> FindResource(std::string_view type, std::string_view name);

}  // namespace platform
