#pragma once
// A one-line text field (the dialogs' name fields).

#include <string>

#include "canvas/controls/static.h"
#include "canvas/sigslot.h"

// Text is only appended at the end or shortened from the end: there is no
// caret movement or selection. Every character the keyboard or the input
// method produces is taken (accented letters, dead-key compositions, any
// script); backspace removes one whole character, never part of one. The
// field takes the keyboard when clicked, and its caret blinks while it has
// it.
class CRSEdit : public CRSStatic {
 public:
  static constexpr int kCaretTimer = 1;
  static constexpr unsigned kCaretBlinkMs = 530;

  CRSEdit(const PointF& position, CRSObject* parent, const std::string& name, const std::string& text = {});
  ~CRSEdit() override;

  void OnKey(int message, unsigned virtualKey, long keyData, bool* handled) override;
  void OnFocusChanged(bool focused) override;
  void OnTimer(int id, unsigned elapsedMs) override;

  // The part the style places after the text.
  CRSCanvasItem* GetCaretItem() const { return m_caret; }
  // The style shows the keyboard's holder with a stronger frame.
  bool HasFocus() const { return m_focused; }

  // Appends one character (a Unicode code point); control characters,
  // surrogates and values beyond Unicode are refused. True when appended.
  bool AppendCharacter(unsigned codePoint);
  // Removes the last whole character; false when the text is empty.
  bool RemoveLastCharacter();

  // (edit, new text), emitted immediately after every change.
  sigslot::signal2<CRSEdit*, const std::string&> sigTextChanged;

 private:
  // Whether a modal window that does not hold this field is open.
  bool IsBlockedByModal() const;

  CRSCanvasItem* m_caret = nullptr;
  bool m_focused = false;
  // The backspace key already removed a character: a character message 8
  // that the same key press may produce must not remove another.
  bool m_backspaceByKey = false;
  // The letter or digit of the last Alt key press: the platform may type
  // that letter too, which would put the "o" of Alt+O into the field. A
  // character made with AltGr differs from its key's letter and is kept.
  unsigned m_altLetter = 0;
};
