#pragma once
// A box with a check mark and a label.

#include <string>

#include "canvas/items.h"
#include "canvas/sigslot.h"
#include "canvas/styles.h"

// A click (press and release on it) turns the mark on or off. The control
// takes the width of its box and label and the height of a button.
class CRSCheckBox : public CRSCanvasItem, public CRSControlStyleBase {
 public:
  CRSCheckBox(const PointF& position, CRSObject* parent, const std::string& name, const std::string& label = {});
  ~CRSCheckBox() override;

  // Does nothing when the state is unchanged; otherwise stores it, emits
  // sigCheckedChanged at once and has the style draw the box again.
  void SetChecked(bool checked);
  bool IsChecked() const { return m_checked; }
  void SetLabel(const std::string& label);
  const std::string& GetLabel() const { return m_label; }
  void SetEnabled(bool enabled);
  bool IsEnabled() const { return m_enabled; }
  // The pointer is over the control (the style lightens the box).
  bool IsHot() const { return m_hot; }
  // The left button went down on the control and is still held.
  bool IsPressed() const { return m_pressed; }

  CRSCanvasShape* GetBoxItem() const { return m_box; }
  CRSCanvasShape* GetMarkItem() const { return m_mark; }
  CRSCanvasText* GetLabelItem() const { return m_labelItem; }
  CRSCanvasText* GetLabelShadowItem() const { return m_labelShadow; }

  void OnMouse(int message, PointF local, int keyFlags, bool* handled) override;
  // Space turns the mark on or off, as a click does.
  void OnKey(int message, unsigned virtualKey, long keyData, bool* handled) override;

  sigslot::signal1<bool> sigCheckedChanged;

 private:
  void Redraw();
  void SetHot(bool hot);

  std::string m_label;
  bool m_checked = false;
  bool m_enabled = true;
  bool m_hot = false;
  bool m_pressed = false;
  bool m_drawing = false;
  CRSCanvasShape* m_box = nullptr;
  CRSCanvasShape* m_mark = nullptr;
  CRSCanvasText* m_labelShadow = nullptr;
  CRSCanvasText* m_labelItem = nullptr;
};
