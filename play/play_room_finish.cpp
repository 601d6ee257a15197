// Completion: the clock stops, the player is congratulated, and the solved
// puzzle goes on to the gallery (or, in a gift, the program ends).

#include "canvas/controls.h"
#include "canvas/sound.h"
#include "data/puzzle_data.h"
#include "data/room_host.h"
#include "play/play_clock.h"
#include "play/play_room.h"
#include "platform/report.h"

void CPuzzlePlayRoom::OnSolved() {
  // The signal comes through the event queue: by now the puzzle may have
  // been scattered again, and a puzzle restored whole (already solved
  // before) is not congratulated a second time.
  if (m_building || m_puzzle->IsCompleted() || m_puzzle->GetPercentCompleted() != 100) return;
  if (m_clock) m_clock->Stop();
  CRSSoundHandler::Instance().PlayResourceSound(kCompleteSound, false);

  const std::string clock = CPlayClock::FormatClock(m_puzzle->GetTimePlayed());
  std::string text = "Congratulations!!!\nYou've completed the puzzle in " + clock + " seconds!!!";
  if (!m_gift) text += "\nThe puzzle will be placed in the gallery room.";
  if (CRSMessageBox* box = CRSMessageBox::Show(text, "Puzzle Solved !!!", m_host->GetRootWindow()))
    box->sigClosed.connect(this, &CPuzzlePlayRoom::OnSolvedBoxClosed);

  m_puzzle->SetSurprise(false);
  m_puzzle->SetCompleted(true);
  UpdateCaption();
  platform::ReportLine("play solved " + clock);
}

void CPuzzlePlayRoom::OnSolvedBoxClosed(int) {
  if (m_gift) {
    // A gift has nothing else to show: the program ends.
    if (CRSControlWindow* root = m_host->GetRootWindow()) root->Close();
    return;
  }
  m_host->ShowGallery();
}
