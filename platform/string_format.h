#pragma once
// How text is placed in its layout rectangle: horizontal and vertical
// alignment, trimming of text that does not fit, the hot-key prefix "&" and
// format flags.

namespace Gdiplus {

enum StringAlignment { StringAlignmentNear = 0, StringAlignmentCenter = 1, StringAlignmentFar = 2 };

enum StringTrimming {
  StringTrimmingNone = 0,
  StringTrimmingCharacter = 1,
  StringTrimmingWord = 2,
  StringTrimmingEllipsisCharacter = 3,
  StringTrimmingEllipsisWord = 4,
  StringTrimmingEllipsisPath = 5,
};

enum HotkeyPrefix { HotkeyPrefixNone = 0, HotkeyPrefixShow = 1, HotkeyPrefixHide = 2 };

enum StringFormatFlags {
  StringFormatFlagsDirectionRightToLeft = 0x0001,
  StringFormatFlagsMeasureTrailingSpaces = 0x0800,
  StringFormatFlagsNoWrap = 0x1000,
  StringFormatFlagsLineLimit = 0x2000,
  StringFormatFlagsNoClip = 0x4000,
};

class StringFormat {
 public:
  explicit StringFormat(int formatFlags = 0) : m_flags(formatFlags) {}
  StringFormat* Clone() const { return new StringFormat(*this); }

  // Near alignment, character trimming (the facade's defaults).
  static StringFormat GenericDefault() { return StringFormat(); }
  // Near alignment, no trimming, whole lines only, no clipping.
  static StringFormat GenericTypographic() {
    StringFormat f(StringFormatFlagsLineLimit | StringFormatFlagsNoClip);
    f.SetTrimming(StringTrimmingNone);
    return f;
  }

  StringAlignment GetAlignment() const { return m_alignment; }
  void SetAlignment(StringAlignment a) { m_alignment = a; }
  StringAlignment GetLineAlignment() const { return m_lineAlignment; }
  void SetLineAlignment(StringAlignment a) { m_lineAlignment = a; }
  StringTrimming GetTrimming() const { return m_trimming; }
  void SetTrimming(StringTrimming t) { m_trimming = t; }
  HotkeyPrefix GetHotkeyPrefix() const { return m_hotkey; }
  void SetHotkeyPrefix(HotkeyPrefix h) { m_hotkey = h; }
  int GetFormatFlags() const { return m_flags; }
  void SetFormatFlags(int flags) { m_flags = flags; }

 private:
  StringAlignment m_alignment = StringAlignmentNear;
  StringAlignment m_lineAlignment = StringAlignmentNear;
  StringTrimming m_trimming = StringTrimmingCharacter;
  HotkeyPrefix m_hotkey = HotkeyPrefixNone;
  int m_flags = 0;
};

}  // namespace Gdiplus

using Gdiplus::StringAlignment;
using Gdiplus::StringFormat;
using Gdiplus::StringTrimming;
