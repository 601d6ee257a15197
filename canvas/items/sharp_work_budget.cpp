// The bound on new sharp pictures per frame, open for one paint at a time.

#include "canvas/items/sharp_work_budget.h"

#include <algorithm>

namespace {

CRSSharpWorkBudget* s_open = nullptr;

}  // namespace

CRSSharpWorkBudget::CRSSharpWorkBudget(long long pixels) : m_outer(s_open), m_left(std::max(0LL, pixels)) {
  if (m_outer) m_left = std::min(m_left, m_outer->m_left);
  s_open = this;
}

CRSSharpWorkBudget::~CRSSharpWorkBudget() {
  s_open = m_outer;
  if (!m_outer) return;
  // What the inner scope spent or left undone counts for the outer one too.
  m_outer->m_left = std::min(m_outer->m_left, m_left);
  m_outer->m_fellShort = m_outer->m_fellShort || m_fellShort;
}

bool CRSSharpWorkBudget::Spend(long long pixels) {
  if (!s_open) return true;
  if (pixels > s_open->m_left) {
    s_open->m_fellShort = true;
    return false;
  }
  s_open->m_left -= pixels;
  return true;
}
