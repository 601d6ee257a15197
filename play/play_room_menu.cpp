// The play menu: a small window of buttons, each shown only where it can do
// something (no picture buttons for a surprise, no music button without
// music, no way back in a gift), and the commands behind them; the pictures
// and the helping commands are parts of their own (play_preview.h,
// play_hints.h).

#include <cstdio>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "canvas/sound.h"
#include "data/puzzle_data.h"
#include "data/room_host.h"
#include "play/button_panel.h"
#include "play/play_clock.h"
#include "play/play_hints.h"
#include "play/play_preview.h"
#include "play/play_room.h"
#include "play/play_room_music.h"
#include "play/table.h"
#include "play/table_history.h"
#include "play/table_overview.h"
#include "platform/report.h"

namespace {

constexpr float kMenuX = 5.0f;
constexpr float kMenuY = 50.0f;
constexpr const char* kMusicOff = "&Music Off";
constexpr const char* kMusicOn = "&Music On";

}  // namespace

void CPuzzlePlayRoom::CreateMenu() {
  m_menu = std::make_unique<CPuzzleButtonPanel>(m_host->GetFloor(), "playMenu", "Menu", PointF(kMenuX, kMenuY));
  m_menu->AddButton("&Scatter")->sigClicked.connect(this, &CPuzzlePlayRoom::OnScatterClicked);
  if (!m_puzzle->IsSurprise()) {
    CRSControlButton* picture = m_menu->AddButton("&Picture", true);
    CRSControlButton* ghost = m_menu->AddButton("&Ghost", true);
    if (m_pictures) m_pictures->AttachButtons(picture, ghost);
  }
  m_menu->AddButton("&Hint")->sigClicked.connect(this, &CPuzzlePlayRoom::Hint);
  m_menu->AddButton("&Neighbor")->sigClicked.connect(this, &CPuzzlePlayRoom::ShowNeighbours);
  m_menu->AddButton("&Reveal")->sigClicked.connect(this, &CPuzzlePlayRoom::Reveal);
  if (m_music && m_music->HasMusic()) {
    CRSControlButton* music =
        m_menu->AddButton(CRSSoundHandler::Instance().MusicEnabled() ? kMusicOff : kMusicOn);
    music->sigClicked.connect(this, &CPuzzlePlayRoom::ToggleMusic);
    m_musicButton.Assign(music);
  }
  if (!m_gift) {
    CRSControlButton* back = m_menu->AddButton("&Back");
    back->sigClicked.connect(this, &CPuzzlePlayRoom::GoBack);
    m_backButton.Assign(back);
  }
  if (CRSControlWindow* menu = GetMenu(); menu && platform::IsReporting()) {
    // Where the menu lies in the window, for the tests that drag over it.
    const RectF box = menu->GetBoundsIn(nullptr);
    char line[96];
    std::snprintf(line, sizeof line, "play menu %.0f %.0f %.0f %.0f", static_cast<double>(box.X),
                  static_cast<double>(box.Y), static_cast<double>(box.Width), static_cast<double>(box.Height));
    platform::ReportLine(line);
  }
}

CRSControlButton* CPuzzlePlayRoom::FindMenuButton(const std::string& label) const {
  return m_menu ? m_menu->FindButton(label) : nullptr;
}

void CPuzzlePlayRoom::OnScatterClicked() {
  Scatter();
  if (m_clock) m_clock->Restart();
}

void CPuzzlePlayRoom::Scatter() {
  // The records and pieces are the puzzle data's: it clears the joins,
  // takes the pieces out of their groups and scatters them over the table,
  // where every tray's pieces are put first.
  if (m_table) {
    m_table->GetSelection().Clear();
    m_table->EmptyTrays();
  }
  m_puzzle->ResetProgress();
  if (m_table) m_table->GetHistory().RequestCommit();
  if (m_overview) m_overview->OnPiecesMoved();
  platform::ReportLine("play scattered");
  ReportPieces();
}

void CPuzzlePlayRoom::SetPictureShown(bool shown) {
  if (m_pictures) m_pictures->SetPictureShown(shown);
}

void CPuzzlePlayRoom::SetGhostShown(bool shown) {
  if (m_pictures) m_pictures->SetGhostShown(shown);
}

void CPuzzlePlayRoom::Hint() {
  CRSCanvasItem* inHand = m_hints ? m_hints->Hint(m_current.get()) : nullptr;
  if (!inHand) return;
  m_current.Assign(inHand);
  if (m_table) m_table->GetHistory().RequestCommit();
  ReportPieces();
}

void CPuzzlePlayRoom::ShowNeighbours() {
  if (m_hints) m_hints->ShowNeighbours(m_current.get());
}

void CPuzzlePlayRoom::Reveal() {
  if (m_hints) m_hints->Reveal();
}

void CPuzzlePlayRoom::ToggleMusic() {
  CRSSoundHandler& sound = CRSSoundHandler::Instance();
  const bool wasOn = sound.MusicEnabled();
  if (wasOn) {
    sound.SetMusicEnabled(false);
    sound.PauseMusic();
  } else {
    sound.SetMusicEnabled(true);
  }
  if (CRSControlButton* button = m_musicButton.get()) button->SetCaption(wasOn ? kMusicOn : kMusicOff);
}

void CPuzzlePlayRoom::GoBack() {
  // The store room takes the floor over, which ends this room.
  if (m_host) m_host->GoHome();
}
