#pragma once
// Every room's name, large and translucent in the bottom-left corner of the
// floor, and the maker's one-line notice in the bottom-right corner.

#include <string>

class CRSCanvasItem;

namespace app {

// The notice under every room.
inline constexpr const char* kMakerNotice = "Tandrill \xC2\xB7 a jigsaw puzzle game for Linux";

// Adds the title and the notice to the floor (they go when the floor is
// cleared for the next room).
void CreateRoomTitle(CRSCanvasItem* floor, const std::string& text);

}  // namespace app
