#include "platform/native_message_box.h"

#include <SDL.h>

#include <cstdio>

namespace platform {
namespace {

Uint32 IconFlag(NativeIcon icon) {
  switch (icon) {
    case NativeIcon::kWarning: return SDL_MESSAGEBOX_WARNING;
    case NativeIcon::kError: return SDL_MESSAGEBOX_ERROR;
    case NativeIcon::kInformation: break;
  }
  return SDL_MESSAGEBOX_INFORMATION;
}

}  // namespace

bool AskNativeYesNo(const std::string& title, const std::string& text, NativeIcon icon) {
  constexpr int kYes = 1;
  constexpr int kNo = 0;
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kNo, "No"},
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kYes, "Yes"},
  };
  const SDL_MessageBoxData data = {IconFlag(icon), nullptr, title.c_str(), text.c_str(),
                                   SDL_arraysize(buttons), buttons, nullptr};
  int answer = kNo;
  if (SDL_ShowMessageBox(&data, &answer) != 0) {
    std::fprintf(stderr, "%s: %s (no display to ask on; taken as No)\n", title.c_str(), text.c_str());
    return false;
  }
  return answer == kYes;
}

void ShowNativeMessage(const std::string& title, const std::string& text, NativeIcon icon) {
  if (SDL_ShowSimpleMessageBox(IconFlag(icon), title.c_str(), text.c_str(), nullptr) != 0) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  }
}

}  // namespace platform
