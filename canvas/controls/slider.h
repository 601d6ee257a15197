#pragma once
// A slider: a thumb dragged along a track over a range of values.

#include <string>

#include "canvas/items.h"
#include "canvas/sigslot.h"
#include "canvas/styles.h"

// The step is always a tenth of the range. A press on the track moves the
// value one step towards the press; dragging the thumb sets the value its
// position stands for; the mouse wheel moves it one step per notch. The
// style draws the track and the thumb and maps thumb positions to values.
class CRSSlider : public CRSCanvasItem, public CRSControlStyleBase {
 public:
  CRSSlider(const PointF& position, CRSObject* parent, const std::string& name);
  ~CRSSlider() override;

  // Ignored when unchanged or not finite. A range given upside down is
  // taken the right way up, so clamping always has a valid interval.
  void SetRange(float minimum, float maximum);
  // Clamps v into the range (a value that is not finite becomes the
  // minimum); does nothing while busy or when the value stays the same.
  void SetValue(float v);
  float GetValue() const { return m_value; }
  float GetMinimum() const { return m_minimum; }
  float GetMaximum() const { return m_maximum; }
  float GetStep() const { return m_step; }
  bool IsBusy() const { return m_busy; }
  bool IsDragging() const { return m_dragging; }
  bool IsHot() const { return m_hot; }

  CRSCanvasShape* GetTrackItem() const { return m_track; }
  CRSCanvasShape* GetThumbItem() const { return m_thumb; }
  // The part of the track from the minimum up to the thumb.
  CRSCanvasShape* GetFillItem() const { return m_fill; }

  void OnMouse(int message, PointF local, int keyFlags, bool* handled) override;
  // Left and Down a step lower, Right and Up higher, Home the minimum, End
  // the maximum.
  void OnKey(int message, unsigned virtualKey, long keyData, bool* handled) override;
  void DoSetSize(const SizeF& size) override;

  // (slider, new value)
  sigslot::signal2<CRSSlider*, float> sigValueChanged;

 private:
  float Clamp(float v) const;
  void Relayout();
  void SetHot(bool hot);

  float m_minimum = 0.0f;
  float m_maximum = 100.0f;
  float m_step = 10.0f;
  float m_value = 0.0f;
  bool m_busy = false;
  bool m_dragging = false;
  bool m_hot = false;
  float m_grabX = 0.0f;
  CRSCanvasShape* m_track = nullptr;
  CRSCanvasShape* m_fill = nullptr;
  CRSCanvasShape* m_thumb = nullptr;
};
