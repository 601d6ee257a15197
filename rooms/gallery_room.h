#pragma once
// The gallery room: the solved puzzles hang framed on a wall, in a grid that
// reflows with the window's width, with the categories that hold a solved
// puzzle as folders among them. A "Menu" panel opens a folder, shows a
// solved picture with its cuts and playing time, sends a puzzle back to the
// store room, or goes home.
//
// Ownership: the frames and folders on the wall are children of the floor
// and go with it when the next room clears it. The panel, the picture window
// and the category windows float above the wall, in the view's visible area
// rather than on the scrolling floor, so the room deletes them itself when
// it goes. Records are never owned: items find their record through user
// data that reads null once the record is gone.

#include <cstdint>
#include <string>
#include <vector>

#include "canvas/auto_ptr.h"
#include "canvas/behaviours.h"
#include "canvas/object.h"
#include "platform/types.h"
#include "rooms/gallery_room_layout.h"

class CPuzzleRoomHost;
class CPuzzleImageData;
class CPuzzleCategoryData;
class CRSCanvasItem;
class CRSControlButton;
class CRSControlWindow;
class CRSListView;

class CPuzzleGalleryRoom : public CRSObject {
 public:
  static constexpr float kPanelWidth = 104.0f;
  static constexpr int kPanelZOrder = 2147483546;
  static constexpr int kPictureZOrder = 1073743823;
  static constexpr const char* kEmptyText =
      "The Gallery Room is empty.\nFirst you must complete a puzzle and then come back here.";
  static constexpr const char* kRemoveText =
      "Do you want to move the selected puzzle to the Store Room?\nThis will allow you to solve the puzzle in the "
      "Play Room.";

  CPuzzleGalleryRoom(CPuzzleRoomHost* root, const std::string& name);
  ~CPuzzleGalleryRoom() override;

  // "Time to complete MM:SS" for a playing time in milliseconds; minutes
  // are not reduced modulo an hour.
  static std::string TimeToCompleteText(std::int32_t ms);

  // --- commands (the panel's buttons end here) -----------------------------
  void Open();
  void ShowPicture(bool show);
  void Remove();
  void Back();
  void Layout();

  // --- for tests and the end-to-end report ----------------------------------
  const std::vector<CRSAutoPtrPolymorphic<CRSCanvasItem>>& GetFloorItems() const { return m_floorItems; }
  CBehaviourExclusive* GetSelection() const { return m_selection.get(); }
  CRSControlWindow* GetPanel() const { return m_panel.get(); }
  CRSControlButton* GetOpenButton() const { return m_open.get(); }
  CRSControlButton* GetPictureButton() const { return m_picture.get(); }
  CRSControlButton* GetRemoveButton() const { return m_remove.get(); }
  CRSControlWindow* GetPictureWindow() const { return m_pictureWindow.get(); }
  const gallery::WallLayout& GetLastLayout() const { return m_lastLayout; }
  // The area the wall is seen through: its width is the wall's width.
  CRSCanvasItem* GetViewArea() const;

 private:
  void BuildPanel();
  void AddPuzzle(CPuzzleImageData& entry);
  void AddCategory(CPuzzleCategoryData& category);
  void WireItem(CRSCanvasItem* item, bool selected);
  // The category's window with its list, built when missing.
  CRSListView* CategoryList(CPuzzleCategoryData& category);
  void ShowCategoryWindow(CPuzzleCategoryData& category);

  void OnSelected(CRSCanvasItem* item);
  void OnDoubleClicked();
  void OnPictureToggled(bool pressed);
  void OnPictureWindowClosed();
  void OnRemoveConfirmed();
  void OnEmptyBoxClosed(int result);
  void OnViewResized(CRSCanvasItem* area, const SizeF& size);
  void UpdateButtons();
  void ReportLayout() const;

  CPuzzleImageData* SelectedPuzzle() const;
  CPuzzleCategoryData* SelectedCategory() const;
  // Builds (or refills) the "Completed puzzle" window for the entry; false
  // when its puzzle file cannot be read.
  bool BuildPictureWindow(CPuzzleImageData& entry);
  void ClosePictureWindow();

  CPuzzleRoomHost* m_root;
  CRSAutoPtrPolymorphic<CBehaviourExclusive> m_selection;
  CRSAutoPtrPolymorphic<CRSControlWindow> m_panel;
  CRSAutoPtrPolymorphic<CRSControlButton> m_open;
  CRSAutoPtrPolymorphic<CRSControlButton> m_picture;
  CRSAutoPtrPolymorphic<CRSControlButton> m_remove;
  std::vector<CRSAutoPtrPolymorphic<CRSCanvasItem>> m_floorItems;
  CRSAutoPtrPolymorphic<CRSControlWindow> m_pictureWindow;
  // Category windows built here; deleted with the room.
  std::vector<CRSAutoPtrPolymorphic<CRSObject>> m_categoryWindows;
  gallery::WallLayout m_lastLayout;
  bool m_layingOut = false;
  bool m_layoutAgain = false;
};
