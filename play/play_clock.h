#pragma once
// CPlayClock: the play room's clock of time played, in the top right corner,
// and the tips that take turns in the top left one. The clock counts on from
// the time the puzzle has been played and writes it into the puzzle as it
// goes; a restart (after a scatter) runs the clock alone.
//
// Ownership: the room owns the clock; its texts are the floor's children,
// held weakly, since the next room may clear the floor first.

#include <cstdint>
#include <string>

#include "canvas/object.h"
#include "canvas/weak_ref.h"

class CPuzzleData;
class CRSCanvasItem;
class CRSCanvasShape;
class CRSCanvasShapeText;

class CPlayClock : public CRSObject {
 public:
  static constexpr int kClockTimer = 1;
  static constexpr int kTipTimer = 2;
  static constexpr unsigned kClockPeriodMs = 1000;
  static constexpr unsigned kTipPeriodMs = 20000;
  static constexpr int kTipCount = 14;
  static constexpr int kClockZOrder = 0x7ffffff4;

  // Shows the clock and starts it and the tips.
  CPlayClock(CRSObject* owner, CRSCanvasItem* floor, CPuzzleData& puzzle);
  ~CPlayClock() override;

  void OnTimer(int id, unsigned elapsedMs) override;
  // Starts the clock again from the puzzle's time; the tips end.
  void Restart();
  // Stops the clock and the tips (the puzzle is solved).
  void Stop();

  CRSCanvasShapeText* GetClockText() const { return m_clockText.get(); }
  CRSCanvasShapeText* GetTipText() const { return m_tipText.get(); }
  int GetNextTip() const { return m_nextTip; }

  // "%d%d:%d%d": minutes (growing past two digits after 99) and seconds.
  static std::string FormatClock(std::int32_t ms);
  // The tips in the order they take turns; the first one comes twice.
  static const char* GetTip(int index);

 private:
  void CreateClock(CRSCanvasItem* floor);
  void CreateTips(CRSCanvasItem* floor);
  void TickClock(unsigned elapsedMs);
  void TickTip();

  CPuzzleData& m_puzzle;
  CRSWeakRef<CRSCanvasShapeText> m_clockText;
  CRSWeakRef<CRSCanvasShapeText> m_tipText;
  CRSWeakRef<CRSCanvasShape> m_tipBackground;
  std::int32_t m_clockBase = 0;
  int m_nextTip = 0;
};
