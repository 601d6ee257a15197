#pragma once
// A modal window with a text and up to three buttons, chosen by its kind
// (Kind below). Clicking a button records its index as the result and closes
// the box. The box then emits, both through the event queue, first the
// signal of the button that closed it and then closed with the result, and
// goes.
//
// While it is the topmost modal window, the keys answer as a desktop box's
// do: Enter presses the first button, Escape the last one (Cancel or No
// where the box has one), and Alt with a button's letter presses that one.

#include <string>

#include "canvas/controls/control_window.h"

class CRSMessageBox : public CRSControlWindow {
 public:
  static constexpr int kButtonSlots = 3;
  static constexpr float kButtonWidth = 90.0f;
  static constexpr float kButtonGap = 8.0f;

  // The buttons, left to right; a value outside the list is taken as kOk.
  enum class Kind : int {
    kOk = 0,                // "&Ok"
    kOkCancel = 1,          // "&Ok", "&Cancel"
    kAbortRetryIgnore = 2,  // "&Abort", "&Retry", "&Ignore"
    kYesNoCancel = 3,       // "&Yes", "&No", "&Cancel"
    kYesNo = 4,             // "&Yes", "&No"
    kRetryIgnore = 5,       // "&Retry", "&Ignore"
  };

  CRSMessageBox(const std::string& text, const std::string& title, CRSCanvasItem* parent, Kind kind = Kind::kOk);
  ~CRSMessageBox() override;

  // What the player must know, said the one way the game says it: a box in
  // `parent` and, for the end-to-end tests, the report line
  // "message TITLE: TEXT". Without a parent only the line is written and
  // null is returned, so a caller can fall back on another way to say it.
  static CRSMessageBox* Show(const std::string& text, const std::string& title, CRSCanvasItem* parent,
                             Kind kind = Kind::kOk);

  // The labels of a kind, left to right; empty labels mean no button.
  static void LabelsOf(Kind kind, std::string (&labels)[kButtonSlots]);

  // The index of the button that closed the box; -1 while it is open or
  // when it was closed another way.
  int GetResult() const { return m_result; }
  Kind GetKind() const { return m_kind; }
  CRSControlButton* GetButton(int slot) const;
  CRSCanvasText* GetTextItem() const { return m_text.get(); }

  // Closes the box without a button: the result stays -1.
  void Close() override;
  int FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) override;

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
  // The button Enter or Escape presses: the first or the last one shown.
  CRSControlButton* KeyButton(bool last) const;

  int m_result = -1;
  Kind m_kind = Kind::kOk;
};
