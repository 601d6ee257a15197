#include "data/piece_cutting.h"

#include <algorithm>
#include <system_error>

CPieceCutting::CPieceCutting(const CPuzzleCutter& cutter, const Gdiplus::Bitmap& cutImage, int threads)
    : m_cutter(cutter), m_cutImage(cutImage) {
  const Gdiplus::Size grid = cutter.GetGridSize();
  if (grid.Width <= 0 || grid.Height <= 0) return;
  m_columns = grid.Width;
  m_rows = grid.Height;
  // The edges work out their shapes when first asked: asked here for every
  // cell, the threads only read them.
  for (int r = 0; r < m_rows; ++r)
    for (int c = 0; c < m_columns; ++c) (void)cutter.GetPieceBounds(c, r);
  m_images.resize(static_cast<std::size_t>(m_columns) * static_cast<std::size_t>(m_rows));
  m_done.assign(static_cast<std::size_t>(m_rows), false);
  for (int t = 1; t < std::min(threads, m_rows); ++t) {
    try {
      m_workers.emplace_back(&CPieceCutting::CutRows, this);
    } catch (const std::system_error&) {
      break;  // the caller cuts what the missing thread would have
    }
  }
}

CPieceCutting::~CPieceCutting() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  for (std::thread& worker : m_workers) worker.join();
}

void CPieceCutting::CutRows() {
  while (CutNextRow()) {
  }
}

bool CPieceCutting::CutNextRow() {
  int row;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stop || m_nextRow >= m_rows) return false;
    row = m_nextRow++;
  }
  // Each row's pictures are written by the one thread that took it, and
  // read only once it is marked done.
  for (int c = 0; c < m_columns; ++c)
    m_images[static_cast<std::size_t>(row) * m_columns + c] = m_cutter.GetPieceImage(m_cutImage, c, row);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_done[static_cast<std::size_t>(row)] = true;
  }
  m_rowCut.notify_all();
  return true;
}

CPuzzleCutter::PieceImage CPieceCutting::Take(int column, int row) {
  if (column < 0 || row < 0 || column >= m_columns || row >= m_rows) return {};
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      if (m_done[static_cast<std::size_t>(row)]) break;
      if (m_nextRow >= m_rows) {
        // Every row is taken: the one asked for is being cut on a thread.
        m_rowCut.wait(lock, [&] { return m_done[static_cast<std::size_t>(row)]; });
        break;
      }
    }
    CutNextRow();
  }
  return std::move(m_images[static_cast<std::size_t>(row) * m_columns + column]);
}
