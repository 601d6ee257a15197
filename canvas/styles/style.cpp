#include <mutex>

#include "canvas/styles.h"

namespace {

// The one shared slot. Controls read it on the user-interface thread; the
// lock only keeps a replacement from another thread (tests) whole.
std::mutex s_currentLock;
std::shared_ptr<CRSControlStyles> s_current;

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

// Placeholders until the controls work fills them in.
void CRSControlStylesDrawn::SetValues(const CRSControlStyleValues& values) { m_values = ClampValues(values); }
CRSControlStyleValues CRSControlStylesDrawn::ClampValues(const CRSControlStyleValues& values) { return values; }
float CRSControlStylesDrawn::GetButtonHeight() const { return m_values.buttonHeight; }
SizeF CRSControlStylesDrawn::GetWindowSize(const SizeF& clientSize, const CRSWindowFrameOptions&) const { return clientSize; }
SizeF CRSControlStylesDrawn::GetClientSize(const SizeF& windowSize, const CRSWindowFrameOptions&) const { return windowSize; }
RectF CRSControlStylesDrawn::GetClientRect(const SizeF& windowSize, const CRSWindowFrameOptions&) const {
  return RectF(0, 0, windowSize.Width, windowSize.Height);
}
float CRSControlStylesDrawn::GetTitleHeight(bool toolWindow) const {
  return toolWindow ? m_values.windowHeightToolTitle : m_values.windowHeightTitle;
}
uint32_t CRSControlStylesDrawn::GetStaticTextColor() const { return m_values.staticTextColor; }
CRSStyleFont CRSControlStylesDrawn::GetStaticTextFont() const { return m_values.staticTextFont; }
CRSCanvasItem* CRSControlStylesDrawn::CreateButtonFace(CRSControlButton&, int) { return nullptr; }
void CRSControlStylesDrawn::BuildWindowFrame(CRSControlWindow&) {}
void CRSControlStylesDrawn::DrawScrollBar(CRSScrollBar&) {}
RectF CRSControlStylesDrawn::GetScrollBarTrack(CRSScrollBar&) { return {}; }
float CRSControlStylesDrawn::GetScrollBarValueAt(CRSScrollBar&, const PointF&) { return 0; }
