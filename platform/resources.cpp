#include "platform/resources.h"

namespace platform {

std::span<const std::uint8_t> FindResource(std::string_view, std::string_view) { return {}; }

}  // namespace platform
