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
// Ownership: the room owns the table; the layers are the floor's children,
// held weakly, since the next room may clear the floor first.

#include "canvas/items.h"
#include "canvas/object.h"
#include "canvas/weak_ref.h"
#include "play/table_viewport.h"

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

  CRSWeakRef<CRSCanvasItem> m_floor;
  CRSWeakRef<CRSCanvasItem> m_surface;
  CRSWeakRef<CRSCanvasItem> m_lift;
  CRSWeakRef<CRSCanvasItem> m_held;
  CTableViewport m_viewport;
  bool m_ownSize = false;
  bool m_spaceHeld = false;
  bool m_panning = false;
  PointF m_panLast;
};
