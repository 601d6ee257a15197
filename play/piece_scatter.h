#pragma once
// Scattering: a random quarter turn (when the puzzle asks for it) and a
// random place inside the parent, both drawn from the program's one random
// sequence so that the order of draws stays part of the game's behaviour.

class CRSCanvasItem;

// Moves the item so that its bounding box lies at a random place inside its
// parent's rectangle (at the parent's top-left when it does not fit).
void PlaceRandomly(CRSCanvasItem* item);

// Turns the item by a random multiple of 90 degrees when rotate is set
// (else to 0), then places it randomly.
void ScatterItem(CRSCanvasItem* item, bool rotate);
