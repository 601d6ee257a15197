#pragma once
// A scroll bar: a track with a draggable thumb standing for a value between
// 0 and total - page. The style draws it and places the thumb; the bar keeps
// the numbers. A press on the track moves the value by one step (a tenth of
// a page) toward the press; the mouse wheel moves it by one step a notch.

#include "canvas/auto_ptr.h"
#include "canvas/items.h"
#include "canvas/sigslot.h"
#include "canvas/styles.h"

class CRSScrollBar : public CRSCanvasItem, public CRSControlStyleBase {
 public:
  CRSScrollBar(const PointF& position, CRSObject* parent, const std::string& name, const SizeF& size,
               bool horizontal = false);
  ~CRSScrollBar() override;

  // Each of these re-clamps the value and lays the bar out again.
  void SetTotal(float total);
  void SetPage(float page);
  // Clamped to [0, total - page]; negative or non-finite values become 0.
  void SetValue(float value);
  void SetHorizontal(bool horizontal);

  float GetTotal() const { return m_total; }
  float GetPage() const { return m_page; }
  float GetStep() const { return m_step; }
  float GetValue() const { return m_value; }
  float GetMaxValue() const;
  bool IsHorizontal() const { return m_horizontal; }
  bool IsDraggingThumb() const { return m_dragging; }

  // The parts the style builds and places.
  CRSCanvasItem* GetThumb() const { return m_thumb.get(); }
  CRSCanvasItem* GetTrack() const { return m_track.get(); }
  void SetParts(CRSCanvasItem* track, CRSCanvasItem* thumb);

  // Moves the value by whole wheel notches (positive: toward 0).
  void ScrollByWheel(int delta);

  void DoSetSize(const SizeF& size) override;
  void OnMouse(int message, PointF local, int keyFlags, bool* handled) override;

  // (the bar, the new value)
  sigslot::signal2<CRSCanvasItem*, float> sigValueChanged;

 private:
  float Clamp(float value) const;
  void Layout();
  // Stores an already clamped value, lays out and announces it.
  void Apply(float value);

  float m_total = 0.0f;
  float m_page = 0.0f;
  float m_step = 0.0f;
  float m_value = 0.0f;
  bool m_horizontal = false;
  CRSAutoPtrPolymorphic<CRSCanvasItem> m_thumb;
  CRSAutoPtrPolymorphic<CRSCanvasItem> m_track;
  bool m_busy = false;
  bool m_dragging = false;
  PointF m_grab;
};
