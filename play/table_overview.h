#pragma once
// CPuzzleTableOverview: the small floating window "Table" that shows the
// whole table, the pieces as they lie and a frame around what the window
// shows. A click or a drag in it moves the view there.
//
// The map keeps a picture of the pieces, made again only after pieces were
// put down, so a large table costs one picture copy per repaint; the frame is
// drawn over it at every change of the view.
//
// Ownership: the room owns the overview; its window is the floor's child,
// held weakly. The pieces are the room's list, which outlives the overview.

#include <vector>

#include "canvas/sigslot.h"
#include "canvas/weak_ref.h"
#include "platform/types.h"

class CPuzzlePiece;
class CPuzzleTable;
class CRSCanvasItem;
class CRSControlWindow;

class CPuzzleTableOverview : public sigslot::has_slots {
 public:
  static constexpr const char* kCaption = "Table";
  // The map's longer side, in pixels.
  static constexpr float kMapSide = 200.0f;
  static constexpr float kMargin = 5.0f;

  CPuzzleTableOverview(CRSCanvasItem* floor, CPuzzleTable* table,
                       const std::vector<CRSWeakRef<CPuzzlePiece>>& pieces);
  ~CPuzzleTableOverview() override;

  void Open();
  void Close();
  bool IsOpen() const { return m_window.get() != nullptr; }
  CRSControlWindow* GetWindow() const;
  // The map item inside the window (null while closed).
  CRSCanvasItem* GetMap() const { return m_map.get(); }
  // Pieces were put down, scattered or joined: the map is drawn anew.
  void OnPiecesMoved();

  // Emitted when the player closes the window with its close button.
  sigslot::signal0 sigClosedByPlayer;

 private:
  class Map;

  void OnViewChanged();
  void OnWindowClosed();

  CRSWeakRef<CRSCanvasItem> m_floor;
  CPuzzleTable* m_table;
  const std::vector<CRSWeakRef<CPuzzlePiece>>& m_pieces;
  CRSWeakRef<CRSCanvasItem> m_window;  // a control window
  CRSWeakRef<CRSCanvasItem> m_map;
};
