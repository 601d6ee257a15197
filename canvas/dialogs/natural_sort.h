#pragma once
// The order of names in the file dialogs: without regard to ASCII case, and
// with runs of digits compared by their value, so "img2" comes before
// "img10" and "IMG3" between them. Names that differ only in case or in
// leading zeros still get a fixed order (fewer leading zeros first, then the
// raw bytes), so sorting is a strict weak order and every run shows the
// same list.

#include <string_view>

// Negative, zero or positive as a sorts before, the same as, or after b.
int NaturalCompare(std::string_view a, std::string_view b);

inline bool NaturalLess(std::string_view a, std::string_view b) { return NaturalCompare(a, b) < 0; }
