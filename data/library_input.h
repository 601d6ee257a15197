#pragma once
// What the library accepts from its file. The file may have been edited, cut
// short or made by someone else, so every text, picture and position a
// record reads goes through these checks: sane values are taken, absurd
// ones refused before they cost memory or time.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/bitmap.h"
#include "platform/types.h"

namespace library_input {

// Positions farther out than this are no place on any floor. It also keeps
// every position exact to the two decimals it is written with, so a
// position reads back as the same text it was written as.
inline constexpr float kMaxCoordinate = 1.0e5f;

// Free text from Base64 (valid UTF-8 as it is, anything else read as
// Windows-1252). False, with out emptied, when the text is longer than
// maxBytes, as read or as UTF-8; a longer Base64 text is not even decoded.
bool ReadFreeText(std::string_view base64, std::size_t maxBytes, std::string& out);

// The picture in the Base64 text; null when it is not a picture or is
// larger than maxSide on either side (refused before its pixels exist).
std::shared_ptr<Gdiplus::Bitmap> DecodePicture(std::string_view base64, int maxSide);
// The size the picture in the Base64 text declares, after the same checks
// as DecodePicture but without decoding its pixels; an empty size when it
// would be refused.
Size ProbePicture(std::string_view base64, int maxSide);

// The characters of a picture's Base64 text that the decoder reads: what
// it skips (line breaks, blanks, rubbish, markup characters a file wrote as
// references) is left out, so that the text written back as it is keeps
// the file well formed and decodes to the same picture.
std::string PictureText(std::string_view text);

// Finite and within kMaxCoordinate on both axes.
bool IsSanePoint(const PointF& point);

}  // namespace library_input
