#pragma once
// The platform's own message boxes, without an owner window: for the few
// questions asked before the program's canvas exists or apart from it.
// They block the calling thread until answered. On a display that cannot
// show them (no display at all), a question is answered "No" and a message
// is written to standard error instead, so a headless run never hangs.

#include <string>

namespace platform {

enum class NativeIcon { kWarning, kError, kInformation };

// Yes/No, "Yes" the default; true for "Yes".
bool AskNativeYesNo(const std::string& title, const std::string& text, NativeIcon icon);

// One "OK" button.
void ShowNativeMessage(const std::string& title, const std::string& text, NativeIcon icon);

}  // namespace platform
