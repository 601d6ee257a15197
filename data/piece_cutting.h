#pragma once
// The pieces of a grid cut out of the (bevelled) cut picture on threads of
// their own while the play room makes the pieces' items, row by row. The
// room takes each piece in order: a row still being cut is waited for, and
// while no thread has started the next row the room cuts one itself. So the
// cutting runs beside the making of the items instead of before it, and a
// large build keeps its progress moving from the first row on.

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "data/cutter.h"

class CPieceCutting {
 public:
  // Cuts with up to `threads` threads in all, the caller's counted: the
  // caller makes items and cuts rows while it waits. The cutter and the
  // picture must outlive this.
  CPieceCutting(const CPuzzleCutter& cutter, const Gdiplus::Bitmap& cutImage, int threads);
  // Stops the threads after the rows they are cutting.
  ~CPieceCutting();
  CPieceCutting(const CPieceCutting&) = delete;
  CPieceCutting& operator=(const CPieceCutting&) = delete;

  // Piece (column, row), the same picture as the cutter's GetPieceImage
  // gives; each piece can be taken once. Null outside the grid.
  CPuzzleCutter::PieceImage Take(int column, int row);

 private:
  void CutRows();
  // Cuts the next row no one has taken; false when every row is taken.
  bool CutNextRow();

  const CPuzzleCutter& m_cutter;
  const Gdiplus::Bitmap& m_cutImage;
  int m_columns = 0;
  int m_rows = 0;
  std::vector<CPuzzleCutter::PieceImage> m_images;
  std::mutex m_mutex;
  std::condition_variable m_rowCut;
  std::vector<bool> m_done;  // per row, under m_mutex
  int m_nextRow = 0;         // under m_mutex
  bool m_stop = false;       // under m_mutex
  std::vector<std::thread> m_workers;
};
