#pragma once
// Category folders and windows as the rooms use them.
//
// A category's folder item is built by its record (data/); this adds what
// the rooms do with it: the folder's number of unfinished puzzles, and the
// category's window — a floating window titled "Category: " + title that
// lists the category's thumbnails (the store room) or framed pictures (the
// gallery). Both rooms build it here, the same way: made on first use at
// 60 % of the root's size, centred once, hidden until the folder is opened.
//
// Closing the window only hides it. The entries in its list are the one
// place the room shows those puzzles; deleting the window would take them
// with it while the folder still counts them. Hidden, the window keeps its
// entries in their order and the size and place the player gave it, and the
// next open shows it again as it was. The window belongs to the parent the
// room gives it (the floor, or the area the floor is seen through) and goes
// with the room; the record keeps weak references, which read null then.

#include <string>

#include "canvas/controls.h"

class CPuzzleCategoryData;
class CPuzzleImageData;
class CPuzzleLibrary;

class CPuzzleCategoryWindow : public CRSControlWindow {
 public:
  CPuzzleCategoryWindow(CRSCanvasItem* parent, const std::string& title, const SizeF& size);

  // Hides the window instead of deleting it.
  void Close() override;

  CRSListView* GetList() const { return m_list.get(); }
  // One report line with the window's place, its close button and its
  // entries in order, after `what` ("window", "window hidden").
  void Report(const std::string& what);

 private:
  CRSAutoPtrPolymorphic<CRSListView> m_list;
};

namespace category_rooms {

inline constexpr const char* kWindowPrefix = "Category: ";
inline constexpr int kWindowZOrder = 1073742823;
inline constexpr float kWindowShare = 0.6f;
inline constexpr float kWindowMinSide = 200.0f;

// "Category: " followed by the title.
std::string WindowCaption(const std::string& title);

// The category's window on `parent`, built hidden (sized from `root`) when
// the category has none there yet. A window left on another parent (by the
// previous room, its deletion still pending) is not taken over.
CPuzzleCategoryWindow* GetOrCreateWindow(CPuzzleCategoryData& category, CRSCanvasItem* parent, CRSCanvasItem* root);
// The window's list of entries (built with the window).
CRSListView* GetListView(CPuzzleCategoryData& category, CRSCanvasItem* parent, CRSCanvasItem* root);
// Shows the window (building it when needed) in front of the other
// category windows.
CPuzzleCategoryWindow* ShowWindow(CPuzzleCategoryData& category, CRSCanvasItem* parent, CRSCanvasItem* root);

// The puzzles of the category that count on its folder: not solved, and
// not `leaving` (an entry whose deletion is under way).
int CountUnfinished(const CPuzzleLibrary& library, const std::string& title,
                    const CPuzzleImageData* leaving = nullptr);
// Sets the folder's number to that count.
void UpdateFolderNumber(const CPuzzleLibrary& library, CPuzzleCategoryData& category,
                        const CPuzzleImageData* leaving = nullptr);

}  // namespace category_rooms
