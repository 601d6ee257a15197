#include "canvas/dialogs/natural_sort.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
unsigned char Fold(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

}  // namespace

int NaturalCompare(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  // The first difference in leading zeros decides between names that are
  // otherwise equal ("a01" and "a1").
  int zeroTie = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      const std::size_t zi = i, zj = j;
      while (i < a.size() && a[i] == '0') ++i;
      while (j < b.size() && b[j] == '0') ++j;
      const std::size_t si = i, sj = j;
      while (i < a.size() && IsDigit(a[i])) ++i;
      while (j < b.size() && IsDigit(b[j])) ++j;
      // Without leading zeros, a longer run of digits is the larger number,
      // however many digits it has: no overflow on absurdly long numbers.
      const std::size_t li = i - si, lj = j - sj;
      if (li != lj) return li < lj ? -1 : 1;
      for (std::size_t k = 0; k < li; ++k)
        if (a[si + k] != b[sj + k]) return a[si + k] < b[sj + k] ? -1 : 1;
      if (zeroTie == 0 && (si - zi) != (sj - zj)) zeroTie = (si - zi) < (sj - zj) ? -1 : 1;
      continue;
    }
    const unsigned char ca = Fold(a[i]), cb = Fold(b[j]);
    if (ca != cb) return ca < cb ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  if (zeroTie != 0) return zeroTie;
  // Equal without regard to case: the raw bytes decide, so "A" and "a" keep
  // one order.
  const int raw = a.compare(b);
  return raw < 0 ? -1 : (raw > 0 ? 1 : 0);
}
