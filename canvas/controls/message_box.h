#pragma once
// A modal window with a text and up to three buttons, chosen by its kind:
//
//   0 (and any other value)  "&Ok"
//   1                        "&Ok", "&Cancel"
//   2                        "&Abort", "&Retry", "&Ignore"
//   3                        "&Yes", "&No", "&Cancel"
//   4                        "&Yes", "&No"
//   5                        "&Retry", "&Ignore"
//
// Clicking a button records its index as the result and closes the box. The
// box then emits, both through the event queue, first the signal of the
// button that closed it and then closed with the result, and goes.

#include <string>

#include "canvas/controls/control_window.h"

class CRSMessageBox : public CRSControlWindow {
 public:
  static constexpr int kButtonSlots = 3;
  static constexpr float kButtonWidth = 90.0f;
  static constexpr float kButtonGap = 8.0f;

  CRSMessageBox(const std::string& text, const std::string& title, CRSCanvasItem* parent, int kind);
  ~CRSMessageBox() override;

  // The labels of a kind, left to right; empty labels mean no button.
  static void LabelsOf(int kind, std::string (&labels)[kButtonSlots]);

  // The index of the button that closed the box; -1 while it is open or
  // when it was closed another way.
  int GetResult() const { return m_result; }
  int GetKind() const { return m_kind; }
  CRSControlButton* GetButton(int slot) const;
  CRSCanvasText* GetTextItem() const { return m_text.get(); }

  // Closes the box without a button: the result stays -1.
  void Close() override;

  // Declared in this order: the text, the button slots, one signal per slot,
  // closed with the result, the result.
 private:
  CRSAutoPtrPolymorphic<CRSCanvasText> m_text;
  CRSAutoPtrPolymorphic<CRSControlButton> m_buttons[kButtonSlots];

 public:
  CRSSignalEmittedTroughEvent0 sigButton0;
  CRSSignalEmittedTroughEvent0 sigButton1;
  CRSSignalEmittedTroughEvent0 sigButton2;
  // Hides the window's parameterless closed signal, which still follows.
  CRSSignalEmittedTroughEvent1<int> sigClosed;

  CRSSignalEmittedTroughEvent0& ButtonSignal(int slot);

 private:
  void OnButton0() { CloseWith(0); }
  void OnButton1() { CloseWith(1); }
  void OnButton2() { CloseWith(2); }
  void CloseWith(int index);

  int m_result = -1;
  int m_kind = 0;
};
