#pragma once
// Window-message numbers, virtual-key codes and key-state flags. The canvas
// carries these values in its events, so every layer speaks the same numbers.

#include <cstdint>

namespace platform {

// General messages.
inline constexpr unsigned kMsgNull = 0x0000;
inline constexpr unsigned kMsgDestroy = 0x0002;
inline constexpr unsigned kMsgSize = 0x0005;
inline constexpr unsigned kMsgSetFocus = 0x0007;
inline constexpr unsigned kMsgKillFocus = 0x0008;
inline constexpr unsigned kMsgPaint = 0x000F;
inline constexpr unsigned kMsgClose = 0x0010;
inline constexpr unsigned kMsgQuit = 0x0012;
inline constexpr unsigned kMsgNcMouseMove = 0x00A0;
inline constexpr unsigned kMsgSysCommand = 0x0112;
inline constexpr unsigned kMsgTimer = 0x0113;
inline constexpr unsigned kMsgSysTimer = 0x0118;

// Keyboard.
inline constexpr unsigned kMsgKeyDown = 256;
inline constexpr unsigned kMsgKeyUp = 257;
inline constexpr unsigned kMsgChar = 258;
inline constexpr unsigned kMsgSysKeyDown = 260;
inline constexpr unsigned kMsgSysKeyUp = 261;

// Mouse, in client coordinates.
inline constexpr unsigned kMsgMouseMove = 512;
inline constexpr unsigned kMsgLButtonDown = 513;
inline constexpr unsigned kMsgLButtonUp = 514;
inline constexpr unsigned kMsgLButtonDblClk = 515;
inline constexpr unsigned kMsgRButtonDown = 516;
inline constexpr unsigned kMsgRButtonUp = 517;
inline constexpr unsigned kMsgRButtonDblClk = 518;
inline constexpr unsigned kMsgMButtonDown = 519;
inline constexpr unsigned kMsgMButtonUp = 520;
inline constexpr unsigned kMsgMButtonDblClk = 521;
// The wheel: the first parameter carries the key-state flags in its low 16
// bits and the signed distance (120 a notch, positive away from the user) in
// its high 16 bits; the second the client position, as for the others.
inline constexpr unsigned kMsgMouseWheel = 522;
inline constexpr int kWheelDelta = 120;
inline constexpr unsigned kMsgMouseLeave = 675;
// A file was dropped on the window; Window::TakeDroppedFile gives its path.
inline constexpr unsigned kMsgDropFiles = 563;

// Private messages of the framework's services.
inline constexpr unsigned kMsgUser = 0x0400;
inline constexpr unsigned kMsgTimerTick = 1031;     // timer service: a tick is due
inline constexpr unsigned kMsgDispatchEvents = 1101; // event dispatcher: drain the queue

// Key-state flags carried by mouse messages.
inline constexpr unsigned kKeyStateLButton = 0x0001;
inline constexpr unsigned kKeyStateRButton = 0x0002;
inline constexpr unsigned kKeyStateShift = 0x0004;
inline constexpr unsigned kKeyStateControl = 0x0008;
inline constexpr unsigned kKeyStateMButton = 0x0010;

// System commands.
inline constexpr unsigned kSysCommandMinimize = 0xF020;
inline constexpr unsigned kSysCommandMaximize = 0xF030;
inline constexpr unsigned kSysCommandClose = 0xF060;
inline constexpr unsigned kSysCommandRestore = 0xF120;

// Virtual-key codes.
inline constexpr unsigned kVkBack = 0x08;
inline constexpr unsigned kVkTab = 0x09;
inline constexpr unsigned kVkReturn = 0x0D;
inline constexpr unsigned kVkShift = 0x10;
inline constexpr unsigned kVkControl = 0x11;
inline constexpr unsigned kVkMenu = 0x12;  // Alt
inline constexpr unsigned kVkEscape = 0x1B;
inline constexpr unsigned kVkSpace = 0x20;
inline constexpr unsigned kVkPrior = 0x21;
inline constexpr unsigned kVkNext = 0x22;
inline constexpr unsigned kVkEnd = 0x23;
inline constexpr unsigned kVkHome = 0x24;
inline constexpr unsigned kVkLeft = 0x25;
inline constexpr unsigned kVkUp = 0x26;
inline constexpr unsigned kVkRight = 0x27;
inline constexpr unsigned kVkDown = 0x28;
inline constexpr unsigned kVkDelete = 0x2E;
inline constexpr unsigned kVkF1 = 0x70;
inline constexpr unsigned kVkF4 = 0x73;

// Virtual-key codes of the remaining keys the platform reports: lock and
// editing keys, the numeric keypad, and the punctuation keys of a US layout.
inline constexpr unsigned kVkPause = 0x13;
inline constexpr unsigned kVkCapital = 0x14;  // Caps Lock
inline constexpr unsigned kVkInsert = 0x2D;
inline constexpr unsigned kVkNumpad0 = 0x60;  // the keypad digits follow in order
inline constexpr unsigned kVkNumpad1 = 0x61;
inline constexpr unsigned kVkMultiply = 0x6A;
inline constexpr unsigned kVkAdd = 0x6B;
inline constexpr unsigned kVkSubtract = 0x6D;
inline constexpr unsigned kVkDecimal = 0x6E;
inline constexpr unsigned kVkDivide = 0x6F;
inline constexpr unsigned kVkOemSemicolon = 0xBA;
inline constexpr unsigned kVkOemPlus = 0xBB;
inline constexpr unsigned kVkOemComma = 0xBC;
inline constexpr unsigned kVkOemMinus = 0xBD;
inline constexpr unsigned kVkOemPeriod = 0xBE;
inline constexpr unsigned kVkOemSlash = 0xBF;
inline constexpr unsigned kVkOemBackquote = 0xC0;
inline constexpr unsigned kVkOemOpenBracket = 0xDB;
inline constexpr unsigned kVkOemBackslash = 0xDC;
inline constexpr unsigned kVkOemCloseBracket = 0xDD;
inline constexpr unsigned kVkOemQuote = 0xDE;

// Builds and reads the second parameter of a mouse message: signed client
// coordinates in the low and high 16 bits.
inline std::intptr_t MakeMousePosition(int x, int y) {
  return static_cast<std::intptr_t>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16) |
                                    static_cast<std::uint16_t>(x));
}
inline int MousePositionX(std::intptr_t l) { return static_cast<std::int16_t>(l & 0xFFFF); }
inline int MousePositionY(std::intptr_t l) { return static_cast<std::int16_t>((l >> 16) & 0xFFFF); }

inline std::uintptr_t MakeWheelParam(int delta, unsigned keyFlags) {
  return (static_cast<std::uintptr_t>(static_cast<std::uint16_t>(delta)) << 16) | (keyFlags & 0xFFFF);
}
inline int WheelDelta(std::uintptr_t w) { return static_cast<std::int16_t>((w >> 16) & 0xFFFF); }

}  // namespace platform
