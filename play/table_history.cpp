// The table's history: recording steps once the hand is empty, and taking
// them back or making them again.

#include "play/table_history.h"

#include <cmath>
#include <unordered_map>

#include "play/piece.h"
#include "play/selection.h"
#include "play/table.h"
#include "play/table_slide.h"

namespace {

// Moves shorter than this (in units) are not worth a slide.
constexpr float kSlideFrom = 0.5f;

const TableTrayState* FindTray(const std::vector<TableTrayState>& trays, int serial) {
  for (const TableTrayState& tray : trays)
    if (tray.serial == serial) return &tray;
  return nullptr;
}

TableTrayState Closed(TableTrayState tray) {
  tray.open = false;
  return tray;
}

}  // namespace

CTableHistory::CTableHistory(CPuzzleTable& table)
    : CRSObject(nullptr, "tableHistory"), m_table(table), m_slide(std::make_unique<CTableSlide>()) {}

CTableHistory::~CTableHistory() { KillAllTimers(); }

void CTableHistory::Reset() {
  KillTimer(kCommitTimer);
  m_slide->Finish();
  m_undo.clear();
  m_redo.clear();
  m_stepBytes = 0;
  m_kept = table_state::Capture(m_table);
  m_started = true;
  sigChanged();
}

void CTableHistory::RequestCommit() {
  // The first look comes after the input that asked, so that a drop's
  // every put-down and join is in by then.
  SetTimer(kCommitTimer, kCommitPollMs);
}

void CTableHistory::FinishSlide() { m_slide->Finish(); }

void CTableHistory::OnTimer(int id, unsigned) {
  // A slide runs out first: what it shows is the state already kept.
  if (id != kCommitTimer || m_slide->IsRunning() || !m_table.IsHandEmpty()) return;
  Commit();
}

bool CTableHistory::Commit() {
  KillTimer(kCommitTimer);
  m_slide->Finish();
  if (!m_table.IsHandEmpty()) {
    // What the player holds is not a state yet: look again later.
    RequestCommit();
    return false;
  }
  TableState now = table_state::Capture(m_table);
  if (!m_started || now.pieces.size() != m_kept.pieces.size()) {
    m_kept = std::move(now);
    m_started = true;
    return false;
  }
  Step step = Compare(now);
  m_kept = std::move(now);
  if (step.pieces.empty() && step.traysAfter.empty()) return false;
  // A new step after an undo: what could have been redone is gone.
  for (const Step& gone : m_redo) m_stepBytes -= BytesOf(gone);
  m_redo.clear();
  m_stepBytes += BytesOf(step);
  m_undo.push_back(std::move(step));
  while (m_undo.size() > kMaxSteps || (m_stepBytes > m_maxBytes && m_undo.size() > 1)) {
    m_stepBytes -= BytesOf(m_undo.front());
    m_undo.pop_front();
  }
  sigChanged();
  return true;
}

CTableHistory::Step CTableHistory::Compare(const TableState& now) const {
  Step step;
  for (std::size_t i = 0; i < now.pieces.size(); ++i)
    if (!m_kept.pieces[i].LooksLike(now.pieces[i]))
      step.pieces.push_back({static_cast<int>(i), m_kept.pieces[i], now.pieces[i]});
  step.pieces.shrink_to_fit();
  // A tray gone since is a tray closed; a tray not kept is a tray made.
  for (const TableTrayState& was : m_kept.trays) {
    const TableTrayState* is = FindTray(now.trays, was.serial);
    if (is && is->LooksLike(was)) continue;
    step.traysBefore.push_back(was);
    step.traysAfter.push_back(is ? *is : Closed(was));
  }
  for (const TableTrayState& is : now.trays) {
    if (FindTray(m_kept.trays, is.serial)) continue;
    step.traysBefore.push_back(Closed(is));
    step.traysAfter.push_back(is);
  }
  return step;
}

bool CTableHistory::CanUndo() const { return !m_undo.empty(); }

bool CTableHistory::Undo() {
  m_table.EndHand();
  Commit();
  if (m_undo.empty()) return false;
  Step step = std::move(m_undo.back());
  m_undo.pop_back();
  Apply(step, false);
  m_redo.push_back(std::move(step));
  sigChanged();
  return true;
}

bool CTableHistory::Redo() {
  m_table.EndHand();
  // What the player held becomes a step of its own, and leaves nothing to
  // redo.
  Commit();
  if (m_redo.empty()) return false;
  Step step = std::move(m_redo.back());
  m_redo.pop_back();
  Apply(step, true);
  m_undo.push_back(std::move(step));
  sigChanged();
  return true;
}

void CTableHistory::Apply(const Step& step, bool forward) {
  const auto* pieces = m_table.GetPieces();
  CRSCanvasItem* surface = m_table.GetSurface();
  if (!pieces || !surface) return;
  std::vector<std::pair<int, TablePieceState>> targets;
  targets.reserve(step.pieces.size());
  // Where the pieces that stay on the table were, for the slide.
  std::vector<std::pair<CPuzzlePiece*, PointF>> were;
  for (const PieceChange& change : step.pieces) {
    const TablePieceState& from = forward ? change.before : change.after;
    const TablePieceState& to = forward ? change.after : change.before;
    targets.emplace_back(change.index, to);
    CPuzzlePiece* piece = (*pieces)[static_cast<std::size_t>(change.index)].get();
    // A step of more pieces than a slide moves shows at once.
    if (piece && step.pieces.size() <= CTableSlide::kMaxItems && from.container == TablePieceState::kOnTable && to.container == TablePieceState::kOnTable)
      were.emplace_back(piece, piece->MapToAncestor(piece->GetAnchor(), surface));
  }
  const std::vector<CRSCanvasItem*> tops =
      table_state::Restore(m_table, m_kept, targets, forward ? step.traysAfter : step.traysBefore);
  m_kept = table_state::Capture(m_table);

  // Each item slides by the way its first moved piece came.
  std::unordered_map<CRSCanvasItem*, PointF> offsets;
  std::vector<std::pair<CRSCanvasItem*, PointF>> moves;
  for (const auto& [piece, was] : were) {
    CRSCanvasItem* top = CTableSelection::TopOf(piece);
    if (top->GetParentItem() != surface || offsets.count(top)) continue;
    const PointF now = piece->MapToAncestor(piece->GetAnchor(), surface);
    const PointF offset(was.X - now.X, was.Y - now.Y);
    offsets.emplace(top, offset);
    if (std::fabs(offset.X) > kSlideFrom || std::fabs(offset.Y) > kSlideFrom) moves.emplace_back(top, offset);
  }
  // Brought into view where they end, then drawn from where they were.
  m_table.OnStepRestored(tops, forward);
  m_slide->Start(moves);

  // A step that leaves the puzzle whole solves it as a drop would; the room
  // congratulates only once.
  for (const auto& ref : *pieces) {
    CPuzzlePiece* piece = ref.get();
    if (!piece) continue;
    CPuzzlePiece::PieceSet visited;
    if (piece->CollectConnected(visited)) piece->GetSolvedSignal()->EmitLater();
    break;
  }
}

std::size_t CTableHistory::BytesOf(const Step& step) {
  return sizeof(Step) + step.pieces.capacity() * sizeof(PieceChange) +
         (step.traysBefore.capacity() + step.traysAfter.capacity()) * sizeof(TableTrayState);
}

std::size_t CTableHistory::GetMemoryUse() const {
  return sizeof(*this) + m_kept.pieces.capacity() * sizeof(TablePieceState) + m_stepBytes;
}
