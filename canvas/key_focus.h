#pragma once
// Moving the keyboard with Tab: over the tab stops of the window in front
// (the top modal window while one is up, else the window that holds the
// keyboard, else the whole tree), in reading order, with a ring around the
// item that has it. The root's key handler runs it for a Tab that nothing
// else took.

#include <vector>

#include "platform/types.h"

class CRSCanvasItem;

// The tab stops under `scope` that are shown (and, for controls that can be
// turned off, enabled), by rows from the top, then from the left.
std::vector<CRSCanvasItem*> GetTabOrder(CRSCanvasItem* scope);
// Gives the keyboard to the tab stop after `current` (before it, backwards)
// in its scope; the first one when `current` is not in it. True when an
// item took it.
bool MoveKeyFocus(CRSCanvasItem* root, CRSCanvasItem* current, bool backwards);
// Sorts items in reading order: by rows from the top (an item whose top lies
// within `rowBand` of the row's first top joins that row), each row from the
// left. Measured by each item's own rectangle (not its children: a focus
// ring must not move its item), in the window's coordinates.
void SortInReadingOrder(std::vector<CRSCanvasItem*>& items, float rowBand);
// Escape for a window that is not modal: closes the one holding the
// keyboard, else the front one shown with a close button (never the root
// itself); a modal window answers Escape on its own. True when one closed.
bool CloseFrontWindow(CRSCanvasItem* root, CRSCanvasItem* focus);
// Whether the focus request being made comes from the keyboard (the view
// then rings the item).
bool IsKeyFocusRequest();
// A ring around the item, over everything in its tree; it takes no presses.
CRSCanvasItem* CreateFocusRing(CRSCanvasItem* item);

// Yellow, as the table's focus frame: it shows on the blue of the windows
// and on the wood of the floor.
inline constexpr ARGB kFocusRingColour = 0xFFFFD23C;
inline constexpr float kFocusRingWidth = 2.0f;
// Between the item's edge and the ring.
inline constexpr float kFocusRingGap = 2.0f;
// Tops closer than this share a row.
inline constexpr float kTabRowBand = 8.0f;
