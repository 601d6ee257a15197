// The store room's commands: the buttons of its panels and the double
// click on a folder or thumbnail.

#include "canvas/controls.h"
#include "canvas/sound.h"
#include "data/library.h"
#include "data/room_host.h"
#include "platform/report.h"
#include "rooms/about_dialog.h"
#include "rooms/category_window.h"
#include "rooms/store_room.h"

void CPuzzleStoreRoom::Open() {
  CPuzzleLibrary& library = m_root->GetLibrary();
  if (library.GetSelectedPuzzleImage()) {
    // The play room replaces this room: nothing may follow.
    m_root->PlaySelectedPuzzle();
    return;
  }
  if (CPuzzleCategoryData* category = library.GetSelectedCategory()) {
    BuildWaitingEntries(*category);
    category_rooms::ShowWindow(*category, m_root->GetFloor(), m_root->GetRootWindow());
  }
}

void CPuzzleStoreRoom::Modify() { m_root->ModifySelectedPuzzle(); }

void CPuzzleStoreRoom::Create() { m_root->CreateNewPuzzle(); }

void CPuzzleStoreRoom::AskDeletePuzzle() {
  if (!m_root->GetLibrary().GetSelectedPuzzleImage()) return;
  if (CRSMessageBox* box =
          CRSMessageBox::Show(kDeleteQuestion, "Tandrill", m_root->GetRootWindow(), CRSMessageBox::Kind::kYesNo))
    box->sigButton0.connect(this, &CPuzzleStoreRoom::DeleteSelectedPuzzle);
}

void CPuzzleStoreRoom::DeleteSelectedPuzzle() {
  CPuzzleLibrary& library = m_root->GetLibrary();
  CPuzzleImageData* entry = library.GetSelectedPuzzleImage();
  if (!entry) return;
  CPuzzleCategoryData* category = library.FindCategory(entry->GetCategory());
  // The entry goes later; unselected now, so that a second Delete before
  // then finds nothing to delete twice.
  entry->SetSelected(false);
  platform::ReportLine("deleted " + entry->GetName());
  entry->DeleteWithFile();
  if (category) category_rooms::UpdateFolderNumber(library, *category, entry);
  for (int button : {kPlay, kModify, kEmailGift, kDelete}) GetButton(button)->SetEnabled(false);
  m_root->SetCaption(std::string());
}

void CPuzzleStoreRoom::EmailGift() { m_root->MakeGift(); }

void CPuzzleStoreRoom::Gallery() { m_root->ShowGallery(); }

void CPuzzleStoreRoom::Quit() { m_root->GetRootWindow()->Close(); }

void CPuzzleStoreRoom::Background() { m_root->ChooseBackgroundImage(); }

void CPuzzleStoreRoom::Color() { m_root->ChooseBackgroundColor(); }

void CPuzzleStoreRoom::ToggleSound() {
  CRSSoundHandler& sound = CRSSoundHandler::Instance();
  const bool wasOn = sound.EffectsEnabled();
  sound.SetEffectsEnabled(!wasOn);
  if (wasOn) sound.PauseEffects();
  UpdateSoundLabel();
  platform::ReportLine("button " + GetButton(kSound)->GetCaption());
}

void CPuzzleStoreRoom::About() {
  if (CRSControlWindow* old = m_about.get()) old->Close();
  m_about = new CPuzzleAboutDlg(m_root->GetFloor());
  platform::ReportLine("window About Tandrill");
}
