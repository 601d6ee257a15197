// The slide of what an undo or redo moved.

#include "play/table_slide.h"

#include <algorithm>

#include "canvas/behaviours.h"
#include "canvas/items.h"

CTableSlide::CTableSlide() : CRSObject(nullptr, "tableSlide") {}

CTableSlide::~CTableSlide() { Finish(); }

void CTableSlide::Start(const std::vector<std::pair<CRSCanvasItem*, PointF>>& moves) {
  Finish();
  if (moves.empty() || moves.size() > kMaxItems) return;
  for (const auto& [item, offset] : moves) m_moves.push_back({CRSWeakRef<CRSCanvasItem>(item), item->GetPosition(), offset});
  Show(1.0f);
  SetTimer(kTimer, kFrameMs);
}

void CTableSlide::Finish() {
  KillTimer(kTimer);
  Show(0.0f);
  m_moves.clear();
}

void CTableSlide::OnTimer(int id, unsigned elapsedMs) {
  if (id != kTimer) return;
  if (elapsedMs >= kDurationMs) {
    Finish();
    return;
  }
  // Eased out: fast at first, settling into place.
  const float t = static_cast<float>(elapsedMs) / static_cast<float>(kDurationMs);
  Show((1.0f - t) * (1.0f - t));
}

void CTableSlide::Show(float remaining) {
  // The places are the step's own: the alignment must not push an item
  // that passes near the table's edge.
  const CBehaviourAlign::Hold hold;
  for (const Move& move : m_moves)
    if (CRSCanvasItem* item = move.item.get())
      item->SetPlacement(item->GetOrigin(),
                         PointF(move.place.X + move.offset.X * remaining, move.place.Y + move.offset.Y * remaining),
                         item->GetRotation());
}
