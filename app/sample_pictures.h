#pragma once
// The pictures of the sample puzzles a new player finds on the first start.
// They are drawn by the program itself, so the game ships no photographs:
// each is colourful and detailed everywhere (no flat areas, nothing tiled),
// which makes a puzzle that is pleasant to solve.

#include <memory>
#include <string>

namespace Gdiplus {
class Bitmap;
}

namespace app {

inline constexpr int kSamplePictureCount = 3;

// The title of a sample ("Glass Marbles", "Stained Glass", "Paint Swirls").
std::string GetSamplePictureTitle(int index);

// Draws sample `index` (0 to kSamplePictureCount - 1) as an opaque 24-bit
// picture of the given size; null for another index or an empty size. The
// same index and size always give the same picture.
std::unique_ptr<Gdiplus::Bitmap> MakeSamplePicture(int index, int width, int height);

}  // namespace app
