#pragma once
// CRSSharpWorkBudget: a bound on the new sharp pictures one frame may make.
//
// While the wheel turns, each step of a zoom out brings hundreds of pieces
// into view at a scale they were never drawn at, and each would have its
// picture halved and its shadow blurred anew before the frame can show. A
// budget opened for such a frame lets the first of them be made and the rest
// be drawn from what they already have (a copy at another level, the full
// picture, the shadow of another size), so that no step waits on the whole
// strip. The paints that fell back say so, and the picture they went into is
// painted again, sharp and unbounded, once the wheel rests.
//
// Budgets hold for the paint on the main thread that opened them; without
// one open, every piece of work is allowed.

class CRSSharpWorkBudget {
 public:
  // New work per frame while the scale changes, in pixels read to make
  // copies and shadows: about a hundred pieces' worth at the largest sizes
  // a zoom out meets, a few milliseconds of work here.
  static constexpr long long kBurstFramePixels = 400000;

  // Opens a budget of `pixels` until this scope ends; nested scopes keep the
  // smaller of the two.
  explicit CRSSharpWorkBudget(long long pixels);
  ~CRSSharpWorkBudget();
  CRSSharpWorkBudget(const CRSSharpWorkBudget&) = delete;
  CRSSharpWorkBudget& operator=(const CRSSharpWorkBudget&) = delete;

  // Takes `pixels` of work from the open budget: false (nothing taken) when
  // it has less left, and the work is then to be left for a later frame.
  static bool Spend(long long pixels);
  // Whether a paint under this scope drew something from a fallback.
  bool FellShort() const { return m_fellShort; }

 private:
  CRSSharpWorkBudget* m_outer;
  long long m_left;
  bool m_fellShort = false;
};
