#pragma once
// The frame every item setter runs its change in: invalidate the old area,
// hold updates off while the change is applied (so the change itself asks
// for no repaints), then restore updates and invalidate the new area. One
// change therefore produces at most two repaint requests.

#include "canvas/items.h"

class ChangeFrame {
 public:
  explicit ChangeFrame(CRSCanvasItem& item) : m_item(item) {
    m_item.Invalidate();
    m_wasEnabled = m_item.GetUpdatesEnabled();
    m_item.SetUpdatesEnabled(false);
  }
  ~ChangeFrame() {
    m_item.SetUpdatesEnabled(m_wasEnabled);
    m_item.Invalidate();
  }
  ChangeFrame(const ChangeFrame&) = delete;
  ChangeFrame& operator=(const ChangeFrame&) = delete;

 private:
  CRSCanvasItem& m_item;
  bool m_wasEnabled = true;
};
