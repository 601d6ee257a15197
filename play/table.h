#pragma once
// CPuzzleTable: the table the pieces lie on, which the player zooms and pans.
//
// The table is two layers on the room's floor that always share one
// transform (the view): the surface, under the play windows, on which the
// ghost and every lying piece and group rest; and the lift, above every
// window, which holds what is raised (held, revealed, lifted by Neighbor)
// until it is put down again. Both measure the table in units from (0, 0):
// every place the puzzle saves is a table place, whatever the view. At zoom
// 1 with the view at the origin the table is exactly the floor of before.
//
// A table whose size is zero follows the floor (the puzzle fits the window,
// as every puzzle did before tables grew); a larger one keeps its own size
// and is seen through the view.
//
// Input: the wheel zooms about the pointer (with or without Ctrl), the
// middle button or the left one with Space held pans the empty table (the
// middle one over pieces too), Ctrl+plus, Ctrl+minus, Ctrl+0, Ctrl+9 and
// Ctrl+arrows zoom and pan from the keyboard, and a piece held near the
// window's edge scrolls the table along.
//
// Selection and trays hang off the table (table_selection.cpp,
// table_trays.cpp): a press on the empty table draws a rubber band, Ctrl+click
// picks one item, Ctrl+A all, Escape none; dragging or turning a selected
// item moves or turns every selected one; an item dropped over a tray goes
// into it, one dragged out of a tray comes onto the table.
//
// Every change of where the pieces lie is reported to the table's history
// (table_history.h), which takes steps back with Ctrl+Z and makes them again
// with Ctrl+Y or Ctrl+Shift+Z.
//
// Ownership: the room owns the table; the layers are the floor's children,
// held weakly, since the next room may clear the floor first. The table owns
// the selection, the trays and the history.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "canvas/items.h"
#include "canvas/object.h"
#include "canvas/weak_ref.h"
#include "play/selection.h"
#include "play/table_frame.h"
#include "play/table_viewport.h"

class CPuzzlePiece;
class CPuzzleTray;
class CTableHistory;

class CPuzzleTable : public CRSObject {
 public:
  static constexpr int kSurfaceZOrder = 1;
  // Above the menu, the clock, the tips and the preview.
  static constexpr int kLiftZOrder = CRSCanvasItem::kZOrderTop - 1;
  // Within this many pixels of the window's edge a held piece scrolls the
  // table, by up to kEdgeScrollSpeed pixels a tick.
  static constexpr float kEdgeScrollBand = 24.0f;
  static constexpr float kEdgeScrollSpeed = 18.0f;
  static constexpr unsigned kEdgeScrollPeriodMs = 30;
  // Items brought into view keep this far from the window's edges.
  static constexpr float kViewMargin = 40.0f;
  static constexpr int kEdgeScrollTimer = 1;
  // Zoom steps this close together are drawn scaled, sharp after the last.
  static constexpr unsigned kZoomRestMs = 150;

  // A table of that size in units; an empty size follows the floor.
  CPuzzleTable(CRSObject* owner, CRSCanvasItem* floor, const SizeF& size);
  ~CPuzzleTable() override;

  CRSCanvasItem* GetSurface() const { return m_surface.get(); }
  CRSCanvasItem* GetLift() const { return m_lift.get(); }
  // Whether the table keeps a size of its own (else it follows the floor).
  bool HasOwnSize() const { return m_ownSize; }
  // The table's size in units.
  SizeF GetSize() const;

  // --- the view ------------------------------------------------------------
  const CTableViewport& GetViewport() const { return m_viewport; }
  float GetZoom() const { return m_viewport.GetZoom(); }
  void SetView(float zoom, const PointF& origin);
  // `floorPoint` is in the floor's coordinates (the window's, less what
  // lies above the floor).
  void ZoomSteps(const PointF& floorPoint, int steps);
  void ZoomAboutCentre(float zoom);
  void PanBy(const PointF& screenDelta);
  void CentreOn(const PointF& tablePoint);
  // Pans, zooming out when needed, so that the table rectangle is seen.
  void BringIntoView(const RectF& tableRect);
  // Shows the table rectangle that the items cover.
  void BringIntoView(const std::vector<CRSCanvasItem*>& items);
  // The table rectangle an item (a piece or group on either layer) covers.
  RectF GetTableBounds(CRSCanvasItem* item);
  // Emitted after every change of the view (zoom, place, window size).
  sigslot::signal0 sigViewChanged;

  // The keys of the view; true when the key was one of them.
  bool OnViewKey(unsigned virtualKey, unsigned modifierFlags);

  // --- raised items ----------------------------------------------------------
  // A raised item moves to the lift, a lowered one back to the surface,
  // keeping its table place.
  void Lift(CRSCanvasItem* item);
  void Settle(CRSCanvasItem* item);
  // Starts scrolling at the window's edge while the player holds `item`.
  void Hold(CRSCanvasItem* item);

  int FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) override;
  void OnTimer(int id, unsigned elapsedMs) override;

  // --- the pieces (for the tools that need their cells) ---------------------
  // The room's pieces, row by row over `columns`; the list outlives the table.
  void SetPieces(const std::vector<CRSWeakRef<CPuzzlePiece>>* pieces, int columns);
  // The room's pieces, or null before they are given.
  const std::vector<CRSWeakRef<CPuzzlePiece>>* GetPieces() const { return m_pieces; }
  // The size of the solved picture, which stands centred on the table.
  void SetPictureSize(const SizeF& size) { m_pictureSize = size; }
  RectF GetPictureArea() const;
  // A window floating over the table (a panel) whose column Arrange keeps
  // clear.
  void KeepClearOf(CRSCanvasItem* panel);
  // The pieces and groups lying on the table (either layer), not in trays.
  std::vector<CRSCanvasItem*> GetLooseItems() const;
  // Emitted after the table moved pieces of its own accord (a selection
  // dropped or turned, Arrange, Gather, Edges, a tray's drop).
  sigslot::signal0 sigItemsMoved;

  // --- selection (table_selection.cpp) ---------------------------------------
  CTableSelection& GetSelection() { return m_selection; }
  void SelectAll();
  // The loose items whose bounds a table rectangle touches.
  std::vector<CRSCanvasItem*> ItemsTouching(const RectF& tableRect) const;
  // The rubber band, in floor coordinates; `adding` keeps what was selected.
  void BeginBand(const PointF& floorPoint, bool adding);
  void MoveBand(const PointF& floorPoint);
  void EndBand(const PointF& floorPoint);
  bool IsBanding() const { return m_banding; }
  // Turns every selected item a quarter turn about its own centre (+1
  // clockwise, -1 the other way).
  void TurnSelection(int direction);
  // Lays the selection (or every loose item) in rows beside the picture.
  void Arrange();
  // Brings the selection together beside the pointer's last place.
  void Gather();
  // The table point the pointer was last seen over.
  const PointF& GetPointerPlace() const { return m_pointerPlace; }

  // --- keyboard play (table_keys.cpp) ------------------------------------------
  // Tab and Shift+Tab move a focus frame over the loose pieces and groups,
  // on the table and in the trays, nearest first; the arrows move the
  // focused item (10 units, 1 with Alt, 50 with Shift), R and Shift+R turn
  // it, Enter puts it down with the connect test, Space selects it or not.
  // A focused item that is selected takes the rest of the selection along,
  // as a drag does. A moved item is held (above the windows, like one in
  // the hand) until Enter, the next Tab or a press of the mouse puts it
  // down. A press of the mouse hides the frame; the next Tab goes on from
  // the item it was on.
  static constexpr float kKeyStep = 10.0f;
  static constexpr float kKeyStepFine = 1.0f;
  static constexpr float kKeyStepLarge = 50.0f;
  static constexpr ARGB kFocusFill = 0xFFFFD23C;
  static constexpr ARGB kFocusEdge = 0xC0000000;
  static constexpr float kFocusWidth = 3.0f;
  // Between the item's bounds and the frame, in pixels.
  static constexpr float kFocusGap = 3.0f;
  // The focused piece or group while the frame shows, or null.
  CRSCanvasItem* GetFocusItem() const;
  // Shows the frame on the item (a loose piece or group, or one in a tray).
  void SetFocusItem(CRSCanvasItem* item);
  // The nearest item not yet visited since the round began (the first Tab:
  // the one nearest the middle of the window); backwards, the one before.
  void FocusNext(bool backwards);
  // The frame's place in the floor's coordinates (empty while hidden).
  RectF GetFocusFramePlace() const { return m_focusFrame.GetPlace(); }
  // Keeps a shown frame around its item (after moves, joins, view changes).
  void UpdateFocusFrame();

  // --- trays (table_trays.cpp) -----------------------------------------------
  // A new tray at a quarter of the window, titled "Tray N" (the first N not
  // taken) unless a title is given.
  CPuzzleTray* NewTray(const std::string& title = {});
  // A tray at a given place and scale (as the puzzle file keeps it), with
  // the next free number unless one is given.
  CPuzzleTray* AddTray(const std::string& title, const RectF& place, float scale, int serial = 0);
  CPuzzleTray* FindTrayBySerial(int serial);
  // The trays still open, oldest first.
  std::vector<CPuzzleTray*> GetTrays();
  CPuzzleTray* FindTray(const std::string& title);
  CPuzzleTray* TrayAt(const PointF& floorPoint);
  CPuzzleTray* TrayHolding(const CRSCanvasItem* item);
  // An item in a tray comes onto the table's surface (as itself, or the
  // group it lies in), keeping its place in the tray's units; returns what
  // now lies on the table, or the item as it was.
  CRSCanvasItem* BringOntoTable(CRSCanvasItem* item);
  // Every item in a tray comes onto the table's surface, keeping its place
  // in the tray's units.
  void EmptyTrays();
  // Moves every loose edge piece, corners first, into the tray "Edges".
  void GatherEdges();

  // --- the history (table_history.h) -----------------------------------------
  CTableHistory& GetHistory() { return *m_history; }
  void Undo();
  void Redo();
  // Whether nothing is held, raised, turning or sliding: a state the
  // history can keep.
  bool IsHandEmpty() const;
  // Puts down what the player holds (where it is, as a drop would), ends
  // every turn on its angle and every rename of a tray with what was typed.
  void EndHand();
  // The history restored a step: these items hold what it moved.
  void OnStepRestored(const std::vector<CRSCanvasItem*>& items, bool redone);

 private:
  class Layer;

  // The child of `layer` that holds the item, or null when it lies elsewhere.
  static CRSCanvasItem* TopItemOn(CRSCanvasItem* item, const CRSCanvasItem* layer);
  void OnFloorResized(CRSCanvasItem* floor, const SizeF& size);
  void ApplyView();
  bool IsOnTable(CRSCanvasItem* item) const;
  // The floor point of a mouse event's target-local point.
  PointF ToFloor(CRSCanvasItem* target, const PointF& local) const;
  int OnTableMouse(CRSCanvasItem* target, unsigned message, const PointF& local, unsigned keyFlags);
  // The selection's and the trays' share of the input; true when it took
  // the event, with the verdict to give.
  bool OnSelectionMouse(CRSCanvasItem* target, unsigned message, const PointF& local, unsigned keyFlags,
                        int& verdict);
  bool OnSelectionKey(unsigned virtualKey, unsigned modifierFlags);
  // Keyboard play; true when the key was taken.
  bool OnPlayKey(unsigned message, unsigned virtualKey, long keyData);
  // What the keys act on: the focused item, with the selection when it is
  // selected (those in the same place: the table, or the same tray).
  std::vector<CRSCanvasItem*> FocusTargets();
  void MoveFocused(const PointF& delta);
  // Puts down what the keys hold, as a drop does; nothing when nothing is held.
  void PutDownFocused();
  void HideFocus();
  void PlaceFocusFrame();
  void ReportFocus();
  // Puts the items down where they lie: `lower` runs with the effects muted,
  // then every piece runs its connect test, then one put-down sound plays
  // and the connect sound when anything joined.
  void PutDown(const std::vector<CRSCanvasItem*>& items, const std::function<void()>& lower);
  static void TurnAboutCentre(CRSCanvasItem* item, int direction);
  void TurnItems(const std::vector<CRSCanvasItem*>& items, int direction);
  bool OnHistoryKey(unsigned virtualKey, unsigned modifierFlags);
  // The top item (piece or group) of the table that holds a target.
  CRSCanvasItem* TableItemOf(CRSCanvasItem* target) const;
  void BeginSelectionDrag(CRSCanvasItem* held, const PointF& floorPoint);
  // The held item was let go at that floor point: into a tray, or down on
  // the table with the rest of the selection.
  void Drop(CRSCanvasItem* held, const PointF& floorPoint);
  // Items that lie in a tray come onto the lift at the pointer (`item` is
  // being dragged out). True when it did.
  bool LiftFromTray(CRSCanvasItem* item);
  void UpdateBandShape();

  CRSWeakRef<CRSCanvasItem> m_floor;
  CRSWeakRef<CRSCanvasItem> m_surface;
  CRSWeakRef<CRSCanvasItem> m_lift;
  CRSWeakRef<CRSCanvasItem> m_held;
  CTableViewport m_viewport;
  bool m_ownSize = false;
  bool m_spaceHeld = false;
  bool m_panning = false;
  PointF m_panLast;

  const std::vector<CRSWeakRef<CPuzzlePiece>>* m_pieces = nullptr;
  int m_columns = 0;
  SizeF m_pictureSize;
  CTableSelection m_selection;
  PointF m_pointerPlace;
  // The rubber band: its corners in table units, the items it may touch
  // with their bounds (taken when it starts), the frame drawn on the floor.
  bool m_banding = false;
  bool m_bandAdding = false;
  PointF m_bandStart;
  PointF m_bandEnd;
  std::vector<std::pair<CRSWeakRef<CRSCanvasItem>, RectF>> m_bandCandidates;
  std::vector<CRSCanvasItem*> m_bandKept;
  CTableFrame m_bandFrame;
  // The selected items that follow the held one, and the pointer's last
  // floor point.
  std::vector<CRSWeakRef<CRSCanvasItem>> m_followers;
  PointF m_dragLast;
  std::vector<std::unique_ptr<CPuzzleTray>> m_trays;
  std::vector<CRSWeakRef<CRSCanvasItem>> m_keepClear;
  // The keyboard's focus: a piece stands for its group, as in the
  // selection, so a join never leaves the focus on an emptied group. The
  // round holds the pieces visited since it began, the focused one last.
  CRSWeakRef<CPuzzlePiece> m_focus;
  std::vector<CRSWeakRef<CPuzzlePiece>> m_focusRound;
  CTableFrame m_focusFrame;
  bool m_focusHeld = false;
  bool m_leftHeld = false;
  int m_lastTraySerial = 0;
  // Last, so that it goes first: it looks at the trays and layers.
  std::unique_ptr<CTableHistory> m_history;
};
