#include "platform/display_scale.h"

#include <SDL.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>

namespace platform {
namespace {

constexpr float kMinScale = 1.0f;
constexpr float kMaxScale = 4.0f;
constexpr float kUnitDpi = 96.0f;

// A positive finite number that the whole text spells, or nothing.
std::optional<float> NumberOf(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const float value = std::strtof(text.c_str(), &end);
  while (end && (*end == ' ' || *end == '\t' || *end == '\r')) ++end;
  if (!end || *end != '\0' || !std::isfinite(value) || value <= 0.0f) return std::nullopt;
  return value;
}

float InSteps(float scale, float step) {
  return std::clamp(std::round(scale / step) * step, kMinScale, kMaxScale);
}

// The value of Xft.dpi in a resource string of "name:\tvalue" lines.
std::optional<float> XftDpiOf(const std::string& resources) {
  static constexpr const char kName[] = "Xft.dpi:";
  size_t at = 0;
  while (at < resources.size()) {
    const size_t end = std::min(resources.find('\n', at), resources.size());
    if (resources.compare(at, std::strlen(kName), kName) == 0) {
      size_t from = at + std::strlen(kName);
      while (from < end && (resources[from] == ' ' || resources[from] == '\t')) ++from;
      return NumberOf(resources.substr(from, end - from));
    }
    at = end + 1;
  }
  return std::nullopt;
}

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

// The X server's resources, when the game shows its windows on one.
std::string XResources() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::strcmp(driver, "x11") != 0) return std::string();
  Display* display = XOpenDisplay(nullptr);
  if (!display) return std::string();
  const char* resources = XResourceManagerString(display);
  std::string text = resources ? resources : "";
  XCloseDisplay(display);
  return text;
}

float DisplayDpi() {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return 0.0f;
  float diagonal = 0.0f;
  if (SDL_GetDisplayDPI(0, &diagonal, nullptr, nullptr) != 0) return 0.0f;
  return diagonal;
}

// The scale read, and its guard: pictures may be drawn for the screen on
// other threads than the one that first asks.
struct Chosen {
  std::mutex guard;
  std::optional<float> scale;
};

Chosen& ChosenScale() {
  static Chosen chosen;
  return chosen;
}

}  // namespace

float ChooseDisplayScale(const DisplayScaleSources& sources) {
  if (const auto chosen = NumberOf(sources.override)) return InSteps(*chosen, 0.25f);
  if (const auto dpi = XftDpiOf(sources.xResources)) return InSteps(*dpi / kUnitDpi, 0.25f);
  if (const auto gdk = NumberOf(sources.gdkScale)) return InSteps(std::floor(*gdk), 1.0f);
  if (std::isfinite(sources.displayDpi) && sources.displayDpi > 0.0f)
    return InSteps(sources.displayDpi / kUnitDpi, 0.5f);
  return kMinScale;
}

float GetDisplayScale() {
  Chosen& chosen = ChosenScale();
  const std::lock_guard<std::mutex> lock(chosen.guard);
  std::optional<float>& scale = chosen.scale;
  if (!scale) {
    DisplayScaleSources sources;
    sources.override = EnvironmentValue("TANDRILL_SCALE");
    if (sources.override.empty()) {
      sources.xResources = XResources();
      sources.gdkScale = EnvironmentValue("GDK_SCALE");
      sources.displayDpi = DisplayDpi();
    }
    // Asked before the display was opened, the answer is a guess, kept
    // only until the display can be asked.
    const float chosenNow = ChooseDisplayScale(sources);
    if (sources.override.empty() && !SDL_WasInit(SDL_INIT_VIDEO)) return chosenNow;
    scale = chosenNow;
  }
  return *scale;
}

void SetDisplayScale(float scale) {
  Chosen& chosen = ChosenScale();
  const std::lock_guard<std::mutex> lock(chosen.guard);
  chosen.scale = InSteps(scale, 0.25f);
}

}  // namespace platform
