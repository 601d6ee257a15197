// The text field: characters in, whole characters out, a blinking caret
// while it holds the keyboard.

#include "canvas/controls/edit.h"

#include <utility>

#include "canvas/controls/control_window.h"

#include "platform/messages.h"
#include "platform/utf8.h"
#include "platform/window.h"

namespace {

// Characters that put something on the screen: not the C0 and C1 controls,
// not DEL, not a lone surrogate, and within Unicode.
bool IsPrintable(unsigned cp) {
  if (cp < 0x20 || cp == 0x7F) return false;
  if (cp >= 0x80 && cp < 0xA0) return false;
  if (cp >= 0xD800 && cp <= 0xDFFF) return false;
  return cp <= 0x10FFFF;
}


// The byte length of the last character: the lead byte and its
// continuation bytes. A text that is not valid UTF-8 at its end (a name
// read from an old file) loses one byte, so backspace always makes progress.
size_t LastCharacterLength(const std::string& text) {
  const size_t n = text.size();
  size_t start = n;
  int continuations = 0;
  while (start > 0 && continuations < 4 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) {
    --start;
    ++continuations;
  }
  if (start == 0) return 1;
  const auto lead = static_cast<unsigned char>(text[start - 1]);
  const int expected = lead >= 0xF0 && lead < 0xF8 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  if (lead < 0x80 && continuations == 0) return 1;
  if (lead >= 0xC0 && expected == continuations) return n - start + 1;
  return 1;
}

// Keys that type something: while the field has the keyboard their key
// messages belong to it, so they do not also act as shortcuts of the room
// behind it. Escape, Return, Tab, arrows and function keys pass on.
bool IsTypingKey(unsigned vk) {
  return vk == platform::kVkSpace || (vk >= 0x30 && vk <= 0x5A) || (vk >= 0x60 && vk <= 0x6F) ||
         (vk >= 0xBA && vk <= 0xE2);
}

}  // namespace

CRSEdit::CRSEdit(const PointF& position, CRSObject* parent, const std::string& name, const std::string& text)
    : CRSStatic(position, parent, name, text) {
  SetFocusable(true, true);
  SetCursor(platform::kCursorIBeam);
  m_caret = new CRSCanvasShape(PointF(), this, "caret");
  m_caret->SetVisible(false);
  SetAutoSize(false);
  SetSize(SizeF(160.0f, Style().GetButtonHeight()));
  Relayout();
}

CRSEdit::~CRSEdit() { KillTimer(kCaretTimer); }

bool CRSEdit::AppendCharacter(unsigned codePoint) {
  if (!IsPrintable(codePoint)) return false;
  std::string text = GetText();
  platform::AppendUtf8(text, codePoint);
  SetText(text);
  sigTextChanged(this, GetText());
  return true;
}

bool CRSEdit::RemoveLastCharacter() {
  std::string text = GetText();
  if (text.empty()) return false;
  text.erase(text.size() - LastCharacterLength(text));
  SetText(text);
  sigTextChanged(this, GetText());
  return true;
}

bool CRSEdit::IsBlockedByModal() const {
  CRSControlWindow* modal = CRSControlWindow::GetTopModal();
  if (!modal) return false;
  for (const CRSObject* o = this; o; o = o->GetParent())
    if (o == modal) return false;
  return true;
}

void CRSEdit::OnKey(int message, unsigned virtualKey, long, bool* handled) {
  // Behind a modal window the field may keep the keyboard, but typing must
  // not change it: the keys go on to the root, where the window sees them.
  if (IsBlockedByModal()) return;
  const auto msg = static_cast<unsigned>(message);
  const unsigned altLetter = std::exchange(m_altLetter, 0);
  if (msg == platform::kMsgSysKeyDown) {
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9')) m_altLetter = virtualKey;
    return;
  }
  if (msg == platform::kMsgChar) {
    const unsigned upper = virtualKey >= 'a' && virtualKey <= 'z' ? virtualKey - 'a' + 'A' : virtualKey;
    if (altLetter != 0 && upper == altLetter) {
      *handled = true;
    } else if (virtualKey == platform::kVkBack) {
      if (!m_backspaceByKey) RemoveLastCharacter();
      m_backspaceByKey = false;
      *handled = true;
    } else if (IsPrintable(virtualKey)) {
      m_backspaceByKey = false;
      AppendCharacter(virtualKey);
      *handled = true;
    }
  } else if (msg == platform::kMsgKeyDown) {
    m_backspaceByKey = false;
    if (virtualKey == platform::kVkBack) {
      RemoveLastCharacter();
      m_backspaceByKey = true;
      *handled = true;
    } else if (IsTypingKey(virtualKey)) {
      *handled = true;
    }
  } else if (msg == platform::kMsgKeyUp) {
    if (virtualKey == platform::kVkBack || IsTypingKey(virtualKey)) *handled = true;
  }
  if (*handled && m_focused && m_caret) {
    // Typing shows the caret at once and restarts its rhythm.
    m_caret->SetVisible(true);
    SetTimer(kCaretTimer, kCaretBlinkMs);
  }
}

void CRSEdit::OnFocusChanged(bool focused) {
  if (focused == m_focused) return;
  m_focused = focused;
  m_backspaceByKey = false;
  if (m_caret) m_caret->SetVisible(focused);
  if (focused) {
    SetTimer(kCaretTimer, kCaretBlinkMs);
  } else {
    KillTimer(kCaretTimer);
  }
  Relayout();
}

void CRSEdit::OnTimer(int id, unsigned) {
  if (id != kCaretTimer || !m_caret) return;
  if (!m_focused) {
    KillTimer(kCaretTimer);
    return;
  }
  m_caret->SetVisible(!m_caret->IsVisible());
}
