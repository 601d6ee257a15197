#pragma once
// CTableSlide: the short slide that shows the player what an undo or redo
// moved. The items already lie where the step put them; the slide draws
// them from where they were to there, and a finished (or cut short) slide
// leaves each exactly at its place.
//
// Ownership: the table's history owns the slide; the items are held weakly.

#include <utility>
#include <vector>

#include "canvas/object.h"
#include "canvas/weak_ref.h"
#include "platform/types.h"

class CRSCanvasItem;

class CTableSlide : public CRSObject {
 public:
  static constexpr int kTimer = 1;
  static constexpr unsigned kDurationMs = 160;
  static constexpr unsigned kFrameMs = 16;
  // Beyond this many items (a Scatter taken back) the step shows at once: a
  // slide would cost more frames than it lasts.
  static constexpr std::size_t kMaxItems = 300;

  CTableSlide();
  ~CTableSlide() override;

  // Each item slides in from its place plus the offset (in its parent's
  // units) to its place now. A running slide is finished first.
  void Start(const std::vector<std::pair<CRSCanvasItem*, PointF>>& moves);
  // Puts every item at its place at once.
  void Finish();
  bool IsRunning() const { return !m_moves.empty(); }

  void OnTimer(int id, unsigned elapsedMs) override;

 private:
  struct Move {
    CRSWeakRef<CRSCanvasItem> item;
    PointF place;
    PointF offset;
  };
  void Show(float remaining);

  std::vector<Move> m_moves;
};
