#pragma once
// A count that changes whenever any canvas item's transform or parent
// changes: an answer computed from transforms (such as an item's rotation
// and scale seen from the root) stays right while the count stays the same.

namespace canvas_geometry {

unsigned Epoch();
// Called by the items whenever a transform or a parent changes.
void Advance();

}  // namespace canvas_geometry
