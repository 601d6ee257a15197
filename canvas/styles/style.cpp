// The drawn style's values, their sensible ranges, the window geometry and
// the shared current-style slot.

#include <algorithm>
#include <cmath>
#include <mutex>

#include "canvas/styles.h"

namespace {

// The one shared slot. Controls read it on the user-interface thread; the
// lock only keeps a replacement from another thread (tests) whole.
std::mutex s_currentLock;
std::shared_ptr<CRSControlStyles> s_current;

// A value outside [low, high] is brought to the nearest end; one that is not
// a number at all takes the default.
float Clamp(float value, float low, float high, float fallback) {
  if (!std::isfinite(value)) return std::isinf(value) ? (value > 0 ? high : low) : fallback;
  return std::clamp(value, low, high);
}

// The longest font family name kept; real family names are far shorter,
// and a style read from a stranger's file must not carry megabytes around.
constexpr size_t kMaxFamilyBytes = 128;

CRSStyleFont ClampFont(const CRSStyleFont& font, const CRSStyleFont& fallback) {
  CRSStyleFont out = font;
  // Sizes in points: below 4 nothing is legible, above 72 no caption fits
  // into a title bar or a button.
  out.size = Clamp(font.size, 4.0f, 72.0f, fallback.size);
  out.style = font.style & 0xF;
  std::string& family = out.family;
  // Control characters have no place in a family name.
  family.erase(std::remove_if(family.begin(), family.end(),
                              [](char c) { return static_cast<unsigned char>(c) < 0x20; }),
               family.end());
  if (family.size() > kMaxFamilyBytes) {
    size_t cut = kMaxFamilyBytes;
    // Never cut a UTF-8 sequence in half.
    while (cut > 0 && (static_cast<unsigned char>(family[cut]) & 0xC0) == 0x80) --cut;
    family.resize(cut);
  }
  if (family.empty()) family = fallback.family;
  return out;
}

}  // namespace

std::shared_ptr<CRSControlStyles> CRSControlStyles::GetCurrent() {
  std::lock_guard lock(s_currentLock);
  if (!s_current) s_current = std::make_shared<CRSControlStylesDrawn>();
  return s_current;
}

void CRSControlStyles::SetCurrent(std::shared_ptr<CRSControlStyles> style) {
  std::lock_guard lock(s_currentLock);
  s_current = std::move(style);
}

void CRSControlStylesDrawn::SetValues(const CRSControlStyleValues& values) { m_values = ClampValues(values); }

CRSControlStyleValues CRSControlStylesDrawn::ClampValues(const CRSControlStyleValues& values) {
  const CRSControlStyleValues d;
  CRSControlStyleValues v = values;
  v.roundedCornersRadius = Clamp(values.roundedCornersRadius, 0.0f, 100.0f, d.roundedCornersRadius);
  v.buttonHeight = Clamp(values.buttonHeight, 8.0f, 200.0f, d.buttonHeight);
  v.windowHeightTitle = Clamp(values.windowHeightTitle, 8.0f, 200.0f, d.windowHeightTitle);
  v.windowHeightToolTitle = Clamp(values.windowHeightToolTitle, 8.0f, 200.0f, d.windowHeightToolTitle);
  v.windowWidthButton = Clamp(values.windowWidthButton, 8.0f, 200.0f, d.windowWidthButton);
  v.windowMargin = Clamp(values.windowMargin, 0.0f, 50.0f, d.windowMargin);
  v.staticTextFont = ClampFont(values.staticTextFont, d.staticTextFont);
  v.buttonFont = ClampFont(values.buttonFont, d.buttonFont);
  v.windowFont = ClampFont(values.windowFont, d.windowFont);
  return v;
}

float CRSControlStylesDrawn::GetButtonHeight() const { return m_values.buttonHeight; }

float CRSControlStylesDrawn::GetTitleHeight(bool toolWindow) const {
  return toolWindow ? m_values.windowHeightToolTitle : m_values.windowHeightTitle;
}

// The client area sits inside the margin on every side, and below the title
// bar when there is one. A window without a frame has no margin.
RectF CRSControlStylesDrawn::GetClientRect(const SizeF& windowSize, const CRSWindowFrameOptions& options) const {
  const float margin = options.frameMode != CRSFrameMode::kNone ? m_values.windowMargin : 0.0f;
  const float top = (options.titleBar ? GetTitleHeight(options.toolWindow) : 0.0f) + margin;
  return RectF(margin, top, std::max(0.0f, windowSize.Width - 2.0f * margin),
               std::max(0.0f, windowSize.Height - top - margin));
}

SizeF CRSControlStylesDrawn::GetWindowSize(const SizeF& clientSize, const CRSWindowFrameOptions& options) const {
  const RectF inner = GetClientRect(SizeF(), options);
  const float margin = inner.X;
  return SizeF(std::max(0.0f, clientSize.Width) + 2.0f * margin, std::max(0.0f, clientSize.Height) + inner.Y + margin);
}

SizeF CRSControlStylesDrawn::GetClientSize(const SizeF& windowSize, const CRSWindowFrameOptions& options) const {
  return GetClientRect(windowSize, options).GetSize();
}

uint32_t CRSControlStylesDrawn::GetStaticTextColor() const { return m_values.staticTextColor; }
CRSStyleFont CRSControlStylesDrawn::GetStaticTextFont() const { return m_values.staticTextFont; }
