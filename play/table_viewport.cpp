// The view rules of the table: zoom limits, zoom about a point, panning that
// never leaves the table.

#include "play/table_viewport.h"

#include <algorithm>
#include <cmath>

namespace {

// Along one axis: a table longer than the window keeps the window over it;
// a shorter one stays inside the window.
float ClampAxis(float origin, float tableLength, float windowUnits) {
  if (tableLength >= windowUnits) return std::clamp(origin, 0.0f, tableLength - windowUnits);
  return std::clamp(origin, tableLength - windowUnits, 0.0f);
}

float Positive(float v) { return std::isfinite(v) && v > 1.0f ? v : 1.0f; }

}  // namespace

void CTableViewport::SetTableSize(const SizeF& size) {
  m_table = SizeF(Positive(size.Width), Positive(size.Height));
  Clamp();
}

void CTableViewport::SetWindowSize(const SizeF& size) {
  m_window = SizeF(Positive(size.Width), Positive(size.Height));
  Clamp();
}

float CTableViewport::GetMinZoom() const {
  return std::min(1.0f, std::min(m_window.Width / m_table.Width, m_window.Height / m_table.Height));
}

bool CTableViewport::TableFitsWindow() const { return GetMinZoom() >= 1.0f; }

void CTableViewport::SetView(float zoom, const PointF& origin) {
  if (!std::isfinite(zoom) || !std::isfinite(origin.X) || !std::isfinite(origin.Y)) {
    zoom = 1.0f;
    m_origin = PointF();
  } else {
    m_origin = origin;
  }
  m_zoom = zoom;
  Clamp();
}

void CTableViewport::Clamp() {
  m_zoom = std::clamp(std::isfinite(m_zoom) ? m_zoom : 1.0f, GetMinZoom(), kMaxZoom);
  m_origin.X = ClampAxis(m_origin.X, m_table.Width, m_window.Width / m_zoom);
  m_origin.Y = ClampAxis(m_origin.Y, m_table.Height, m_window.Height / m_zoom);
}

void CTableViewport::ZoomAbout(const PointF& screen, float zoom) {
  const PointF fixed = ToTable(screen);
  m_zoom = std::clamp(std::isfinite(zoom) ? zoom : 1.0f, GetMinZoom(), kMaxZoom);
  m_origin = PointF(fixed.X - screen.X / m_zoom, fixed.Y - screen.Y / m_zoom);
  Clamp();
}

void CTableViewport::ZoomSteps(const PointF& screen, int steps) {
  if (steps == 0) return;
  float zoom = m_zoom * std::pow(kZoomStep, static_cast<float>(steps));
  // Within a hundredth of a step of 1, or across it, the step lands on 1.
  const bool crosses = (m_zoom < 0.999f && zoom > 1.001f) || (m_zoom > 1.001f && zoom < 0.999f);
  if (crosses || std::fabs(zoom - 1.0f) < 0.01f) zoom = 1.0f;
  ZoomAbout(screen, zoom);
}

void CTableViewport::PanBy(const PointF& screenDelta) {
  m_origin = PointF(m_origin.X + screenDelta.X / m_zoom, m_origin.Y + screenDelta.Y / m_zoom);
  Clamp();
}

void CTableViewport::CentreOn(const PointF& tablePoint) {
  m_origin = PointF(tablePoint.X - m_window.Width / (2.0f * m_zoom), tablePoint.Y - m_window.Height / (2.0f * m_zoom));
  Clamp();
}

bool CTableViewport::BringIntoView(const RectF& tableRect, float marginPixels) {
  const RectF visible = GetVisibleRect();
  const float margin = marginPixels / m_zoom;
  RectF wanted = tableRect;
  wanted.Inflate(margin, margin);
  const bool inside = wanted.X >= visible.X && wanted.Y >= visible.Y && wanted.GetRight() <= visible.GetRight() &&
                      wanted.GetBottom() <= visible.GetBottom();
  if (inside) return false;
  const float before = m_zoom;
  const PointF originBefore = m_origin;
  // Zoomed out just enough for the rectangle and its margin to fit.
  const float room = 2.0f * marginPixels;
  const float fit = std::min((m_window.Width - room) / std::max(tableRect.Width, 1.0f),
                             (m_window.Height - room) / std::max(tableRect.Height, 1.0f));
  if (fit < m_zoom) m_zoom = std::max(fit, GetMinZoom());
  CentreOn(PointF(tableRect.X + tableRect.Width / 2.0f, tableRect.Y + tableRect.Height / 2.0f));
  return m_zoom != before || !m_origin.Equals(originBefore);
}

RectF CTableViewport::GetVisibleRect() const {
  return RectF(m_origin.X, m_origin.Y, m_window.Width / m_zoom, m_window.Height / m_zoom);
}

PointF CTableViewport::ToScreen(const PointF& table) const {
  return PointF((table.X - m_origin.X) * m_zoom, (table.Y - m_origin.Y) * m_zoom);
}

PointF CTableViewport::ToTable(const PointF& screen) const {
  return PointF(m_origin.X + screen.X / m_zoom, m_origin.Y + screen.Y / m_zoom);
}
