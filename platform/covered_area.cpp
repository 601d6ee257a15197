#include "platform/covered_area.h"

#include <cairo.h>

#include <cmath>

namespace platform {

CoveredArea::CoveredArea() : m_region(cairo_region_create()) {}

CoveredArea::CoveredArea(const CoveredArea& other) : m_region(cairo_region_copy(other.m_region)) {}

CoveredArea::~CoveredArea() { cairo_region_destroy(m_region); }

void CoveredArea::Add(const RectF& rect) {
  const double left = std::ceil(rect.GetLeft()), top = std::ceil(rect.GetTop());
  const double right = std::floor(rect.GetRight()), bottom = std::floor(rect.GetBottom());
  if (right <= left || bottom <= top) return;
  const cairo_rectangle_int_t box{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                                  static_cast<int>(bottom - top)};
  cairo_region_union_rectangle(m_region, &box);
}

bool CoveredArea::Covers(const RectF& rect) const {
  const double left = std::floor(rect.GetLeft()), top = std::floor(rect.GetTop());
  const double right = std::ceil(rect.GetRight()), bottom = std::ceil(rect.GetBottom());
  if (right <= left || bottom <= top || cairo_region_is_empty(m_region)) return false;
  const cairo_rectangle_int_t box{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                                  static_cast<int>(bottom - top)};
  return cairo_region_contains_rectangle(m_region, &box) == CAIRO_REGION_OVERLAP_IN;
}

bool CoveredArea::IsEmpty() const { return cairo_region_is_empty(m_region); }

void CoveredArea::Clear() {
  cairo_region_destroy(m_region);
  m_region = cairo_region_create();
}

}  // namespace platform
