#pragma once
// A union of whole-pixel rectangles that can tell whether a box lies wholly
// inside it: the painter's record of where opaque pictures will cover
// everything painted before them.

#include <memory>

#include "platform/types.h"

struct _cairo_region;

namespace platform {

class CoveredArea {
 public:
  CoveredArea();
  ~CoveredArea();
  CoveredArea(const CoveredArea& other);
  CoveredArea& operator=(const CoveredArea&) = delete;

  // Adds the pixels wholly inside rect (its edges are rounded inward).
  void Add(const RectF& rect);
  // True when every pixel that rect touches is covered (its edges are
  // rounded outward); false for an empty area.
  bool Covers(const RectF& rect) const;
  bool IsEmpty() const;
  void Clear();

 private:
  _cairo_region* m_region;
};

}  // namespace platform
