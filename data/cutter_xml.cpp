// Writing the `puzzle-cuts` element.

#include <cstdio>
#include <ostream>

#include "data/cutter.h"

namespace {

template <typename... Args>
void Line(std::ostream& out, const char* format, Args... args) {
  char buffer[256];
  const int n = std::snprintf(buffer, sizeof buffer, format, args...);
  if (n > 0) out.write(buffer, std::min<int>(n, sizeof buffer - 1));
}

}  // namespace

void CPuzzleCutter::Write(std::ostream& out) const {
  Line(out, "<%s>\n", "puzzle-cuts");
  Line(out, "<%s w=\"%d\" h=\"%d\" />\n", "size", m_imageSize.Width, m_imageSize.Height);
  Line(out, "<piece-size>%d</piece-size>\n", m_pieceSize);
  Line(out, "<deviation>%.5f</deviation>\n", static_cast<double>(m_deviation));
  Line(out, "<shape-type>%d</shape-type>\n", m_shapeType);
  for (size_t y = 0; y < m_grid.size(); ++y) {
    for (size_t x = 0; x < m_grid[y].size(); ++x) {
      const TopLeftCuts& point = m_grid[y][x];
      Line(out, "<%s x=\"%d\" y=\"%d\">\n", "topleft-cuts", static_cast<int>(x), static_cast<int>(y));
      Line(out, "<%s x=\"%.2f\" y=\"%.2f\" />\n", "pointf", static_cast<double>(point.jitter.X),
           static_cast<double>(point.jitter.Y));
      Line(out, "<shapedirtop bool=\"%d\" int=\"%d\"/>\n", point.topDirection ? 1 : 0, point.topShape);
      Line(out, "<shapedirleft bool=\"%d\" int=\"%d\"/>\n", point.leftDirection ? 1 : 0, point.leftShape);
      Line(out, "</%s>\n", "topleft-cuts");
    }
  }
  Line(out, "</%s>\n", "puzzle-cuts");
}
