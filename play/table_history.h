#pragma once
// CTableHistory: the steps the player took on the table, to take back
// (Ctrl+Z) and make again (Ctrl+Y, Ctrl+Shift+Z).
//
// Every table action reports that it changed the table (RequestCommit);
// once the player's hand is empty again (nothing held, raised or turning),
// the history compares the table's state with the one it kept and records
// what differs as one step: the records of the pieces and trays it changed,
// before and after. So a drop and the joins it caused are one step, and a
// new action gets undo by reporting, with nothing to write for its undo.
// Undo gives the records their state before, redo after, through one
// restore (table_state.h), and then shows the move with a short slide.
//
// The clock is not part of the table and is never taken back. The history
// lives as long as its table and is not saved; it keeps the newest kMaxSteps
// steps, and drops the oldest ones sooner when the steps together hold more
// than kMaxBytes (a step holds a record for each piece it moved: a thousand
// drops hold a fraction of that, a Scatter of 9,600 pieces two thirds of a
// megabyte).
//
// Ownership: the table owns its history.

#include <cstddef>
#include <deque>
#include <memory>
#include <vector>

#include "canvas/object.h"
#include "play/table_state.h"
#include "canvas/sigslot.h"

class CPuzzleTable;
class CTableSlide;

class CTableHistory : public CRSObject {
 public:
  static constexpr std::size_t kMaxSteps = 1000;
  static constexpr std::size_t kMaxBytes = std::size_t{16} << 20;
  static constexpr int kCommitTimer = 1;
  // How often a requested commit looks whether the hand is empty yet.
  static constexpr unsigned kCommitPollMs = 15;

  explicit CTableHistory(CPuzzleTable& table);
  ~CTableHistory() override;

  // Forgets every step and keeps the table's state as it is now (the room
  // calls it once the pieces are built and restored).
  void Reset();
  // The table changed: a step is recorded once the current input is done
  // and the player's hand is empty.
  void RequestCommit();
  // Records what changed since the last step, now. False when nothing did,
  // or the hand is not empty.
  bool Commit();
  // Ends what the player holds, records it, and takes back (or makes
  // again) the last step. False when there was nothing to undo (redo).
  bool Undo();
  bool Redo();
  bool CanUndo() const;
  // Ends a running slide with every item at its place.
  void FinishSlide();
  bool CanRedo() const { return !m_redo.empty(); }
  // Bytes the steps hold, for the benchmarks.
  std::size_t GetMemoryUse() const;
  // The bound on the bytes the steps hold (kMaxBytes unless set); the
  // newest step is kept whatever its size.
  void SetMaxBytes(std::size_t bytes) { m_maxBytes = bytes; }

  // Emitted when CanUndo or CanRedo may have changed.
  sigslot::signal0 sigChanged;

  void OnTimer(int id, unsigned elapsedMs) override;

 private:
  struct PieceChange {
    int index;
    TablePieceState before;
    TablePieceState after;
  };
  struct Step {
    std::vector<PieceChange> pieces;
    std::vector<TableTrayState> traysBefore;
    std::vector<TableTrayState> traysAfter;
  };

  static std::size_t BytesOf(const Step& step);
  // The step between the kept state and `now`.
  Step Compare(const TableState& now) const;
  void Apply(const Step& step, bool forward);

  CPuzzleTable& m_table;
  TableState m_kept;
  bool m_started = false;
  std::deque<Step> m_undo;
  std::vector<Step> m_redo;
  // What the steps of both lists hold, and the bound on it.
  std::size_t m_stepBytes = 0;
  std::size_t m_maxBytes = kMaxBytes;
  std::unique_ptr<CTableSlide> m_slide;
};
