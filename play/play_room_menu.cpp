// The play menu: a small window of buttons, each shown only where it can do
// something (no picture buttons for a surprise, no music button without
// music, no way back in a gift), and the commands behind them.

#include <cstdio>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "canvas/sound.h"
#include "data/puzzle_data.h"
#include "data/room_host.h"
#include "play/play_clock.h"
#include "play/play_room.h"
#include "play/play_room_music.h"
#include "play/table_overview.h"
#include "platform/report.h"

namespace {

constexpr float kMenuWidth = 104.0f;
constexpr float kMenuX = 5.0f;
constexpr float kMenuY = 50.0f;
constexpr float kFirstButtonY = 2.0f;
constexpr float kButtonGap = 6.0f;
constexpr const char* kMusicOff = "&Music Off";
constexpr const char* kMusicOn = "&Music On";

}  // namespace

CRSControlButton* CPuzzlePlayRoom::AddMenuButton(const std::string& label, float& y) {
  CRSCanvasItem* client = GetMenu()->GetClientArea();
  const float width = client->GetSize().Width - 2.0f;
  auto* button = new CRSControlButton(PointF(1.0f, y), client, "menuButton", SizeF(width, 0), label);
  new CBehaviourAlign(button, CBehaviourAlign::kCentreX);
  y += button->GetFaceSize().Height + kButtonGap;
  m_buttons.emplace_back(button);
  return button;
}

void CPuzzlePlayRoom::CreateMenu() {
  auto* menu = new CRSControlWindow(PointF(kMenuX, kMenuY), m_host->GetFloor(), "playMenu", SizeF(kMenuWidth, 100));
  menu->SetCaption("Menu");
  menu->SetCloseButton(false);
  menu->SetZOrder(kMenuZOrder);
  m_menu.Assign(static_cast<CRSCanvasItem*>(menu));
  // The client area is sized to the buttons afterwards; its width is the
  // window's less the frame.
  float y = kFirstButtonY;
  AddMenuButton("&Scatter", y)->sigClicked.connect(this, &CPuzzlePlayRoom::OnScatterClicked);
  if (!m_puzzle->IsSurprise()) {
    CRSControlButton* picture = AddMenuButton("&Picture", y);
    picture->SetToggle(true);
    picture->sigToggled.connect(this, &CPuzzlePlayRoom::OnPictureToggled);
    m_pictureButton.Assign(picture);
    CRSControlButton* ghost = AddMenuButton("&Ghost", y);
    ghost->SetToggle(true);
    ghost->sigToggled.connect(this, &CPuzzlePlayRoom::OnGhostToggled);
    m_ghostButton.Assign(ghost);
  }
  AddMenuButton("&Hint", y)->sigClicked.connect(this, &CPuzzlePlayRoom::Hint);
  AddMenuButton("&Neighbor", y)->sigClicked.connect(this, &CPuzzlePlayRoom::ShowNeighbours);
  AddMenuButton("&Reveal", y)->sigClicked.connect(this, &CPuzzlePlayRoom::Reveal);
  if (m_music && m_music->HasMusic()) {
    CRSControlButton* music =
        AddMenuButton(CRSSoundHandler::Instance().MusicEnabled() ? kMusicOff : kMusicOn, y);
    music->sigClicked.connect(this, &CPuzzlePlayRoom::ToggleMusic);
    m_musicButton.Assign(music);
  }
  if (!m_gift) {
    CRSControlButton* back = AddMenuButton("&Back", y);
    back->sigClicked.connect(this, &CPuzzlePlayRoom::GoBack);
    m_backButton.Assign(back);
  }
  menu->SetClientSize(SizeF(menu->GetClientArea()->GetSize().Width, y - kButtonGap + kFirstButtonY));
  (new CBehaviourAlign(menu, CBehaviourAlign::kKeepInside))->Align();
  if (platform::IsReporting()) {
    // Where the menu lies in the window, for the tests that drag over it.
    const RectF box = menu->GetBoundsIn(nullptr);
    char line[96];
    std::snprintf(line, sizeof line, "play menu %.0f %.0f %.0f %.0f", static_cast<double>(box.X),
                  static_cast<double>(box.Y), static_cast<double>(box.Width), static_cast<double>(box.Height));
    platform::ReportLine(line);
  }
}

CRSControlButton* CPuzzlePlayRoom::FindMenuButton(const std::string& label) const {
  for (const auto& ref : m_buttons)
    if (CRSControlButton* button = ref.get(); button && button->GetCaption() == label) return button;
  return nullptr;
}

void CPuzzlePlayRoom::OnScatterClicked() {
  Scatter();
  if (m_clock) m_clock->Restart();
}

void CPuzzlePlayRoom::Scatter() {
  // The records and pieces are the puzzle data's: it clears the joins,
  // takes the pieces out of their groups and scatters them.
  m_puzzle->ResetProgress();
  if (m_overview) m_overview->OnPiecesMoved();
  platform::ReportLine("play scattered");
  ReportPieces();
}

void CPuzzlePlayRoom::OnPictureToggled(bool checked) { SetPictureShown(checked); }

void CPuzzlePlayRoom::OnGhostToggled(bool checked) { SetGhostShown(checked); }

void CPuzzlePlayRoom::SetGhostShown(bool shown) {
  CRSCanvasImage* ghost = m_ghost.get();
  if (!ghost) return;
  ghost->SetVisible(shown);
  platform::ReportLine(shown ? "play ghost on" : "play ghost off");
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
