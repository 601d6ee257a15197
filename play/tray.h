#pragma once
// CPuzzleTray: a holder for pieces the player sets aside, a floating
// resizable control window beside the table. Its pieces lie in a content
// item at the tray's own scale (the wheel over the tray zooms the tray, not
// the table), laid in a grid when they come in; inside they are moved,
// turned and joined as on the table. A double-click on the title renames the
// tray in place (Enter keeps, Escape cancels). The close button is refused
// with a message box while the tray holds pieces.
//
// Ownership: the table owns its trays; the window (a child of the floor) and
// the rename field are held weakly, since the next room may clear the floor
// first. The pieces belong to the content item while they lie in the tray.

#include <string>
#include <vector>

#include "canvas/object.h"
#include "canvas/sigslot.h"
#include "canvas/weak_ref.h"
#include "platform/types.h"

class CRSCanvasItem;
class CRSControlWindow;
class CRSEdit;

class CPuzzleTray : public CRSObject {
 public:
  static constexpr float kMinScale = 0.05f;
  static constexpr float kMaxScale = 2.0f;
  static constexpr float kDefaultScale = 0.5f;
  // With the preview picture: over the table, under the menu.
  static constexpr int kZOrder = 0x40000062;
  static constexpr float kMinWidth = 160.0f;
  static constexpr float kMinHeight = 120.0f;
  // Between pieces laid in the tray, in units.
  static constexpr float kGap = 6.0f;
  static constexpr const char* kCloseRefused = "The tray still holds pieces.";

  // A tray window at `place` (floor coordinates, the whole window).
  CPuzzleTray(CRSCanvasItem* floor, const std::string& title, const RectF& place, float scale);
  ~CPuzzleTray() override;

  CRSControlWindow* GetWindow() const;
  CRSCanvasItem* GetContent() const { return m_content.get(); }
  std::string GetTitle() const;
  void SetTitle(const std::string& title);
  float GetScale() const { return m_scale; }
  // Zooms the tray (clamped to its limits); the pieces keep their places.
  void SetScale(float scale);
  // The window's rectangle in the floor's coordinates.
  RectF GetPlace() const;
  // Whether the tray is gone or going (closed, or cleared with the floor).
  bool IsGone() const;
  // The tray's number on its table, which stays when a step taken back
  // closes the tray and a step made again opens it anew.
  int GetSerial() const { return m_serial; }
  void SetSerial(int serial) { m_serial = serial; }
  // Closes the tray without asking (the history takes back its making; it
  // holds nothing by then).
  void Dismiss();
  // Emitted when the player renamed or closed the tray.
  sigslot::signal0 sigChanged;

  // The pieces and groups in the tray.
  std::vector<CRSCanvasItem*> GetItems() const;
  bool IsEmpty() const { return GetItems().empty(); }
  // Whether the item lies in this tray (as itself or inside a group).
  bool Holds(const CRSCanvasItem* item) const;
  // Whether a floor point lies over the tray's pieces area.
  bool ContainsFloorPoint(const PointF& floorPoint) const;
  // Takes the items in from wherever they lie, keeping their turns, and
  // lays every item of the tray in the grid again.
  void Take(const std::vector<CRSCanvasItem*>& items);
  // Puts items dragged onto the tray where they were let go: the held one's
  // grabbed point (its origin) under the floor point, the others at their
  // distances from it in units.
  void PutAt(const std::vector<CRSCanvasItem*>& others, CRSCanvasItem* held, const PointF& floorPoint);
  // Lays the items in rows from the top left; with `fit`, zooms the tray
  // out until they all show.
  void LayOut(bool fit);
  // Lays the items out again when any lies beyond the tray's shown area (a
  // file's places that no tray of this size can show).
  void KeepItemsInView();
  // Brings the tray in front of the other trays and inside the floor.
  void BringToFront();

  void BeginRename();
  bool IsRenaming() const { return m_edit.get() != nullptr; }
  // Ends a rename: `keep` takes the field's text as the title.
  void EndRename(bool keep);

  int FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) override;

 private:
  class Window;
  class TitleEdit;

  bool IsInside(const CRSCanvasItem* item) const;
  void OnResized(CRSCanvasItem* item, const SizeF& size);
  // The content covers the client area and every item it holds.
  void FitContent();

  CRSWeakRef<CRSCanvasItem> m_window;  // a CPuzzleTray::Window
  CRSWeakRef<CRSCanvasItem> m_content;
  CRSWeakRef<CRSCanvasItem> m_edit;  // a TitleEdit while renaming
  float m_scale;
  int m_serial = 0;
};
