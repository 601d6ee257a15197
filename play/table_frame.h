#pragma once
// CTableFrame: a rectangle outline on the floor made of four thin bars,
// drawn over the table (the rubber band, the keyboard's focus). Four bars
// rather than one outlined rectangle: moving the frame repaints four strips,
// not everything inside it, which matters over ten thousand pieces.
//
// Ownership: the bars belong to a frame item on the floor, held weakly,
// since the next room may clear the floor first; the frame deletes it when
// it goes.

#include <string>

#include "canvas/weak_ref.h"
#include "platform/types.h"

class CRSCanvasItem;

class CTableFrame {
 public:
  CTableFrame() = default;
  ~CTableFrame();
  CTableFrame(const CTableFrame&) = delete;
  CTableFrame& operator=(const CTableFrame&) = delete;

  // Makes the frame's item on the floor, hidden until it is placed; bars
  // `width` wide of `fill`, edged with `edge` unless it is 0.
  void Create(CRSCanvasItem* floor, const std::string& name, int zOrder, ARGB fill, ARGB edge, float width);
  // The bars around the floor rectangle (their outer edge on it).
  void Place(const RectF& floorRect);
  void Hide();
  void Delete();
  bool Exists() const { return m_item.get() != nullptr; }
  bool IsShown() const { return m_shown && Exists(); }
  // The rectangle last placed while shown, or an empty one.
  RectF GetPlace() const;

 private:
  CRSWeakRef<CRSCanvasItem> m_item;
  float m_width = 2.0f;
  RectF m_place;
  bool m_shown = false;
};
