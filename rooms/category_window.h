#pragma once
// Category folders and windows as the rooms use them.
//
// A category's folder item is built by its record (data/); this adds what
// the rooms do with it: the folder's number of unfinished puzzles, and the
// category's window — a floating window titled "Category: " + title that
// lists the category's thumbnails. The window is made on first use at 60 %
// of the root's size, centred once, and starts hidden; opening the folder
// shows it, and afterwards it keeps whatever size and place the player
// gave it. Both window and list view belong to the floor and go with the
// room; the record keeps weak references and builds them again next time.

#include <string>

class CPuzzleCategoryData;
class CPuzzleImageData;
class CPuzzleLibrary;
class CRSCanvasItem;
class CRSControlWindow;
class CRSListView;

namespace category_rooms {

inline constexpr const char* kWindowPrefix = "Category: ";
inline constexpr int kWindowZOrder = 1073742823;
inline constexpr float kWindowShare = 0.6f;
inline constexpr float kWindowMinSide = 200.0f;

// "Category: " followed by the title.
std::string WindowCaption(const std::string& title);

// The category's window, built hidden on `floor` (sized from `root`) when
// it does not exist yet.
CRSControlWindow* GetOrCreateWindow(CPuzzleCategoryData& category, CRSCanvasItem* floor, CRSCanvasItem* root);
// The window's list of thumbnails (built with the window).
CRSListView* GetListView(CPuzzleCategoryData& category, CRSCanvasItem* floor, CRSCanvasItem* root);
// Shows the window (building it when needed) and brings it forward.
CRSControlWindow* ShowWindow(CPuzzleCategoryData& category, CRSCanvasItem* floor, CRSCanvasItem* root);

// The puzzles of the category that count on its folder: not solved, and
// not `leaving` (an entry whose deletion is under way).
int CountUnfinished(const CPuzzleLibrary& library, const std::string& title,
                    const CPuzzleImageData* leaving = nullptr);
// Sets the folder's number to that count.
void UpdateFolderNumber(const CPuzzleLibrary& library, CPuzzleCategoryData& category,
                        const CPuzzleImageData* leaving = nullptr);

}  // namespace category_rooms
