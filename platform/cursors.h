#pragma once
// Cursor ids: the numbers by which items and behaviours name the cursor to
// show over them. The window layer maps each to a system cursor; an id it
// does not know shows the arrow.

namespace platform {

inline constexpr int kCursorArrow = 32512;
inline constexpr int kCursorIBeam = 32513;
inline constexpr int kCursorWait = 32514;
inline constexpr int kCursorCross = 32515;
inline constexpr int kCursorSizeNWSE = 32642;
inline constexpr int kCursorSizeNESW = 32643;
inline constexpr int kCursorSizeWE = 32644;
inline constexpr int kCursorSizeNS = 32645;
inline constexpr int kCursorSizeAll = 32646;
inline constexpr int kCursorNo = 32648;
inline constexpr int kCursorHand = 32649;

}  // namespace platform
