#pragma once
// CTableViewport: the part of the table the window shows. The table is a
// rectangle of units from (0, 0) to its size; the view shows it at a zoom
// (screen pixels per unit) with a table point at the window's top-left
// corner (the view origin). Plain arithmetic, with no canvas in it, so that
// the play room's zoom, pan and overview share one set of rules.
//
// The rules: the zoom runs from the one at which the whole table fits the
// window (never above 1) up to kMaxZoom. A table larger than the window at
// that zoom is never left: the window stays over the table. A table smaller
// than the window stays wholly inside it.

#include "platform/types.h"

class CTableViewport {
 public:
  static constexpr float kMaxZoom = 4.0f;
  // One wheel notch or one Ctrl+plus zooms by this factor.
  static constexpr float kZoomStep = 1.1f;

  CTableViewport() = default;

  // The table's size in units and the window's in pixels; both keep the
  // zoom and origin inside the rules.
  void SetTableSize(const SizeF& size);
  void SetWindowSize(const SizeF& size);
  // Sets zoom and origin as given, then brings them inside the rules (a
  // value that is not finite counts as zoom 1 at the table's origin).
  void SetView(float zoom, const PointF& origin);

  // Zooms to `zoom` keeping the table point under `screen` where it is.
  void ZoomAbout(const PointF& screen, float zoom);
  // Zooms by kZoomStep to the power `steps` about that point. A step that
  // crosses zoom 1 stops at 1, so the game's own size is always one step away.
  void ZoomSteps(const PointF& screen, int steps);
  // Moves the view by a distance in screen pixels (a drag of the table
  // moves it the other way: the caller negates).
  void PanBy(const PointF& screenDelta);
  // Centres the view on the table point.
  void CentreOn(const PointF& tablePoint);
  // Pans (and zooms out when needed, never below the fit zoom) so that the
  // table rectangle lies inside the window with a margin; a rectangle
  // already in view leaves the view as it is. True when the view changed.
  bool BringIntoView(const RectF& tableRect, float marginPixels);

  float GetZoom() const { return m_zoom; }
  const PointF& GetOrigin() const { return m_origin; }
  const SizeF& GetTableSize() const { return m_table; }
  const SizeF& GetWindowSize() const { return m_window; }
  // The zoom at which the whole table fits the window, at most 1.
  float GetMinZoom() const;
  // The table rectangle the window shows (it may reach beyond the table
  // when the table is smaller than the window).
  RectF GetVisibleRect() const;
  // Whether the whole table is seen at zoom 1 (the table is the window).
  bool TableFitsWindow() const;

  PointF ToScreen(const PointF& table) const;
  PointF ToTable(const PointF& screen) const;

 private:
  void Clamp();

  SizeF m_table{1.0f, 1.0f};
  SizeF m_window{1.0f, 1.0f};
  float m_zoom = 1.0f;
  PointF m_origin;
};
