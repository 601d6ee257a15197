#include "app/puzzle_canvas.h"

#include <cstdio>
#include <filesystem>

#include "app/dialog_hooks.h"
#include "app/first_start.h"
#include "app/gift.h"
#include "app/help_window.h"
#include "app/library_read_ahead.h"
#include "app/root_background.h"
#include "app/room_title.h"
#include "app/startup.h"
#include "canvas/behaviours.h"
#include "canvas/event_dispatcher.h"
#include "data/puzzle_data.h"
#include "play/play_room.h"
#include "platform/display_scale.h"
#include "platform/image_codec.h"
#include "platform/image_helpers.h"
#include "platform/paths.h"
#include "platform/program_payload.h"
#include "platform/report.h"
#include "platform/resources.h"
#include "rooms/cut_settings_dialog.h"
#include "rooms/cuts_room.h"
#include "rooms/gallery_room.h"
#include "rooms/store_room.h"

namespace {

constexpr unsigned kMsgKeyDown = 256;

std::shared_ptr<Gdiplus::Bitmap> LoadBuiltInBackground() {
  return std::shared_ptr<Gdiplus::Bitmap>(
      platform::LoadImageFromResource("IMG", "IMG_DEFAULT_BACKGROUND", platform::GetDisplayScale()));
}

}  // namespace

CPuzzleCanvas::CPuzzleCanvas(const SizeF& size, CRSObject* parent, const std::string& name)
    : CRSControlWindow(PointF(), nullptr, name, size) {
  // The floor: a scroll view filling the client area; rooms live on it.
  CRSCanvasItem* client = GetClientArea();
  m_floorView = new CRSScrollView(PointF(), client, "", client->GetSize());
  auto* fill = new CBehaviourSize(m_floorView.get(), PointF(1, 1), CBehaviourSize::kWidth | CBehaviourSize::kHeight);
  fill->Update();

  SetSize(size);
  m_library->SetBackgroundImage(LoadBuiltInBackground());
  UpdateBackground();
  SetGradientColour(CPuzzleLibrary::kDefaultGradientColour);
  SetParent(parent);

  // Only one copy of the game writes a data folder; a second one runs on
  // what it read without saving. A gift writes nothing there, so it takes
  // no lock: the game beside it, or another gift, plays and saves as ever.
  std::optional<std::string> gift = app::FindGiftOfThisRun();
  if (!gift) m_lock = std::make_unique<platform::InstanceLock>(platform::GetDataDirectory());
  CPuzzleData::SetPuzzleFilesWritable(m_lock && m_lock->GetState() != platform::InstanceLock::State::kHeldByOther);
  LoadLibrary();
  if (gift) m_library->SetGiftPuzzleText(std::move(*gift));

  SetCaption(std::string());
  AddFilter(CBehaviourMessageHandler::GetOrCreate(this), this, CRSEvents::kEventKey);

  // The cut settings' music button opens the same drawn file dialog as the
  // root's own commands.
  CPuzzleCutSettingsDlg::SetFileDialogOpener(
      [](CRSCanvasItem* root, const CRSOpenFileRequest& request, std::function<void(const std::string&)> chosen) {
        app::Dialogs().openFile(dynamic_cast<CRSControlWindow*>(root), request,
                                [chosen](const std::string& path) {
                                  if (!path.empty()) chosen(path);
                                });
      });
  m_openPicture.connect(this, &CPuzzleCanvas::OnOpenPicture);
  m_modifySelected.connect(this, &CPuzzleCanvas::OnModifySelected);
  m_playGift.connect(this, &CPuzzleCanvas::OnPlayGift);
}

CPuzzleCanvas::~CPuzzleCanvas() {
  // The room goes first, so that it can leave its records as it wants them
  // stored; then the library is written.
  ClearFloor();
  SaveLibrary();
}

// --- the floor -------------------------------------------------------------

CRSCanvasItem* CPuzzleCanvas::GetFloor() { return m_floorView ? m_floorView->GetClientArea() : nullptr; }

void CPuzzleCanvas::ClearFloor() {
  if (CRSCanvasItem* floor = GetFloor()) floor->DeleteChildren();
}

void CPuzzleCanvas::SetFloorMinSize(const SizeF& size) {
  if (m_floorView) m_floorView->SetClientMinSize(size);
}

void CPuzzleCanvas::AdoptRoom(CRSObject* room) {
  m_room = room;
  if (room) {
    room->SetParent(GetFloor());
    platform::ReportLine("room " + room->GetName());
  }
}

// --- rooms ------------------------------------------------------------------

void CPuzzleCanvas::GoHome() {
  if (IsGift()) {
    // A gift program has one room: its puzzle.
    AdoptRoom(new CPuzzlePlayRoom(this, CPuzzlePlayRoom::kGiftName));
    return;
  }
  if (m_library->GetStoreRoom()) return;
  // A new player finds sample puzzles instead of an empty floor; only the
  // copy of the game that saves the library makes them.
  if (m_libraryWasMissing && WillSaveLibrary()) {
    m_libraryWasMissing = false;
    app::AddSamplePuzzlesOnFirstStart(*m_library, true);
  }
  auto* room = new CPuzzleStoreRoom(this, "");
  m_library->SetStoreRoom(room);
  AdoptRoom(room);
}

CRSObject* CPuzzleCanvas::PlaySelectedPuzzle() {
  CPuzzleImageData* selected = m_library->GetSelectedPuzzleImage();
  if (!selected) return nullptr;
  auto* room = new CPuzzlePlayRoom(this, selected->GetName());
  AdoptRoom(room);
  return room;
}

void CPuzzleCanvas::ModifySelectedPuzzle() {
  // The store room's button that asks for this is deleted with the store
  // room when the cuts room takes the floor, so the room changes once the
  // click has been handled.
  m_modifySelected.EmitLater();
}

void CPuzzleCanvas::OnModifySelected() {
  CPuzzleImageData* selected = m_library->GetSelectedPuzzleImage();
  if (!selected) return;
  if (CPuzzleCutsRoom* room = CPuzzleCutsRoom::CreateFromPuzzle(this, selected->GetName(), app::IsAdministrator()))
    AdoptRoom(room);
}

void CPuzzleCanvas::CreateNewPuzzle() {
  CRSOpenFileRequest request;
  request.title = "Open Puzzle Image:";
  request.filters = ImageFileFilters();
  request.kind = CRSDialogKind::kPicture;
  CRSAutoPtrPolymorphic<CPuzzleCanvas> self(this);
  app::Dialogs().openFile(this, request, [self](const std::string& path) {
    if (path.empty() || !self) return;
    self->CreatePuzzleFromPicture(path);
  });
}

bool CPuzzleCanvas::CreatePuzzleFromPicture(const std::string& path) {
  CPuzzleCutsRoom* room = CPuzzleCutsRoom::CreateFromPicture(this, path, app::IsAdministrator());
  if (!room) return false;
  AdoptRoom(room);
  return true;
}

void CPuzzleCanvas::CreatePuzzleFromPictureLater(const std::string& path) {
  m_openPicture.EmitLater(path);
}

void CPuzzleCanvas::OnFileDropped(const std::string& path) {
  if (path.empty() || IsGift() || !m_library->GetStoreRoom()) return;
  // A box or dialog waiting for an answer belongs to the room as it is;
  // replacing the room under it would leave the answer nowhere to go.
  if (CRSControlWindow::GetModalCount() > 0) return;
  // Only the trailer and the payload it vouches for are read: the
  // stranger's program itself is never run.
  if (std::optional<std::string> gift = platform::ReadPayload(path)) {
    PlayGiftLater(std::move(*gift));
    return;
  }
  CreatePuzzleFromPictureLater(path);
}

bool CPuzzleCanvas::PlayGiftLater(std::string puzzleText) {
  if (IsGift() || puzzleText.empty()) return false;
  // A sound trailer can still carry something that is no puzzle. Tried
  // here, it leaves the player in the store room; tried by the play room,
  // it would leave a gift session with nothing to play.
  {
    CPuzzleData probe(CPuzzlePlayRoom::kGiftName);
    if (!probe.LoadFromText(puzzleText) || !probe.GetPicture()) {
      CRSMessageBox::Show("Could not read the puzzle file", "ERROR", this);
      return false;
    }
  }
  // Gift mode never writes the library, so what this session changed
  // (places, selections, puzzles made) is written now. From then on this
  // window is a gift: it writes nothing more and lets another copy of the
  // game have the data folder.
  SaveLibrary();
  m_lock.reset();
  CPuzzleData::SetPuzzleFilesWritable(false);
  m_library->SetGiftPuzzleText(std::move(puzzleText));
  m_playGift.EmitLater();
  return true;
}

void CPuzzleCanvas::OnPlayGift() {
  if (!IsGift()) return;
  SetCaption(std::string());
  GoHome();
}

void CPuzzleCanvas::ShowGallery() { AdoptRoom(new CPuzzleGalleryRoom(this, "")); }

void CPuzzleCanvas::ChooseBackgroundImage() {
  CRSOpenFileRequest request;
  request.title = "Select Background Image:";
  request.filters = ImageFileFilters();
  request.kind = CRSDialogKind::kPicture;
  CRSAutoPtrPolymorphic<CPuzzleCanvas> self(this);
  app::Dialogs().openFile(this, request, [self](const std::string& path) {
    if (!path.empty() && self) self->SetBackgroundFile(path);
  });
}

void CPuzzleCanvas::ChooseBackgroundColor() {
  CRSColourRequest request;
  request.initial = 0xFFFFFFFF;
  CRSAutoPtrPolymorphic<CPuzzleCanvas> self(this);
  app::Dialogs().chooseColour(this, request, [self](std::optional<ARGB> colour) {
    if (colour && self) self->SetGradientColour(*colour);
  });
}

void CPuzzleCanvas::MakeGift() { app::MakeGift(*m_library, this); }

// --- caption and background ---------------------------------------------

void CPuzzleCanvas::SetCaption(const std::string& text) {
  std::string caption = "Tandrill";
  if (IsGift()) caption += " Gift";
  if (!text.empty()) caption += ": " + text;
  CRSControlWindow::SetCaption(caption);
  platform::ReportLine("caption " + caption);
}

void CPuzzleCanvas::UpdateBackground() { ShowBackgroundImage(m_library->GetBackgroundImage()); }

void CPuzzleCanvas::ShowBackgroundImage(const std::shared_ptr<Gdiplus::Bitmap>& image) {
  // The brush reads the picture's pixels; holding the picture keeps them.
  m_shownBackground = image;
  m_backgroundBrush = app::MakeBackgroundBrush(image.get());
  ApplyBrushes();
}

void CPuzzleCanvas::SetGradientColour(std::uint32_t rgb) {
  m_library->SetGradientColour(rgb);
  m_gradientBrush = app::MakeGradientBrush(m_library->GetGradientColour(), GetSize());
  ApplyBrushes();
}

bool CPuzzleCanvas::SetBackgroundFile(const std::string& path) {
  std::shared_ptr<Gdiplus::Bitmap> picture(platform::LoadImageFile(path));
  if (!picture || picture->GetWidth() == 0 || picture->GetHeight() == 0) {
    CRSMessageBox::Show("Background image file could not be loaded:\nunrecognized format!!!", "ERROR", this);
    return false;
  }
  m_library->SetBackgroundImage(std::move(picture));
  UpdateBackground();
  return true;
}

void CPuzzleCanvas::ApplyBrushes() {
  // The style paints the window's own face as its first brush whenever the
  // frame is rebuilt; the root paints the background and the gradient over
  // the whole window instead.
  if (m_backgroundBrush) SetBrush(m_backgroundBrush, 0);
  if (m_gradientBrush) SetBrush(m_gradientBrush, 1);
  Invalidate();
}

void CPuzzleCanvas::DoSetSize(const SizeF& size) {
  CRSControlWindow::DoSetSize(size);
  // The frame's outline was rebuilt for the new size (square corners when
  // maximised); the view cuts the platform window to it.
  sigContentChanged.emit(this);
  if (m_gradientBrush) m_gradientBrush = app::MakeGradientBrush(m_library->GetGradientColour(), GetSize());
  ApplyBrushes();
}

void CPuzzleCanvas::CreateRoomTitle(CRSObject*, const std::string& text) { app::CreateRoomTitle(GetFloor(), text); }

Size CPuzzleCanvas::GetLargestPictureSize() const {
  return Size(m_library->GetLargestPictureWidth(), m_library->GetLargestPictureHeight());
}

void CPuzzleCanvas::SetLargestPictureSize(const Size& size) { m_library->SetLargestPictureSize(size.Width, size.Height); }

// --- keys -------------------------------------------------------------------

int CPuzzleCanvas::FilterEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) {
  if (event.GetType() == CRSEvents::kEventKey) {
    auto& key = static_cast<CRSCanvasEvents::Key&>(event);
    if (key.GetMessage() == kMsgKeyDown && key.m_virtualKey == kHelpKey) {
      ShowHelp();
      return kVerdictStop;
    }
  }
  return CRSControlWindow::FilterEvent(target, event);
}

void CPuzzleCanvas::ShowHelp() {
  const std::string path = platform::GetProgramDirectory() + "tandrill.hlp";
  if (m_help) return;  // one help window at a time
  CHelpWindow* help = CHelpWindow::Open(this, path);
  if (!help) {
    CRSMessageBox::Show("The help file could not be read:\n" + path, "Tandrill", this);
    return;
  }
  m_help = help;
  platform::ReportLine("window Tandrill Help");
}

// --- the library file ---------------------------------------------------------

bool CPuzzleCanvas::WillSaveLibrary() const {
  // Only a lock seen in another copy's hands stops the save. A folder that
  // cannot hold the lock at all (a lock file nobody may open, a network
  // folder without locks) still takes the library: losing the player's
  // progress without a word would be worse, and a folder that takes no
  // files says so when the save fails.
  return !IsGift() && m_lock && m_lock->GetState() != platform::InstanceLock::State::kHeldByOther &&
         m_libraryProblem.empty();
}

void CPuzzleCanvas::LoadLibrary() {
  CPuzzleLibrary::LoadResult result;
  if (std::optional<app::LibraryRead> ahead = app::TakeLibraryReadAhead()) {
    ahead->library->SetBackgroundImage(m_library->GetBackgroundImage());
    m_library = std::move(ahead->library);
    result = std::move(ahead->result);
  } else {
    result = m_library->LoadFile();
  }
  m_libraryWasMissing = result.missing;
  if (!result.unreadableReason.empty()) {
    // The player's library is in a file the game cannot read. Writing at
    // the end would replace it with the little that was read, and a new
    // puzzle could take the file of one the library lists; so this run
    // writes nothing, as on a folder that takes no files.
    m_libraryProblem = std::string("the library file ") + CPuzzleLibrary::kFileName + " cannot be read (" +
                       result.unreadableReason + ")";
    CPuzzleData::SetPuzzleFilesWritable(false);
  }
  if (result.showError) {
    m_keepDamagedLibrary = true;
    CRSMessageBox::Show(result.errorText, "Parsing ERROR", this);
  }
  if (m_lock && m_lock->GetState() == platform::InstanceLock::State::kHeldByOther) {
    CRSMessageBox::Show("Tandrill is already running.\nThis window will not save your puzzles; use the other one.",
                        "Tandrill", this);
  }
}

void CPuzzleCanvas::SaveLibrary() {
  if (!WillSaveLibrary()) return;
  const std::string path = CPuzzleLibrary::GetFilePath();
  if (m_keepDamagedLibrary) {
    // What followed the error in the damaged file is not in memory; keep
    // the file beside the new one so nothing is lost for good.
    std::error_code ignored;
    std::filesystem::copy_file(path, path + ".damaged", std::filesystem::copy_options::overwrite_existing, ignored);
  }
  // A failed write leaves the old file as it was and tells the player,
  // once per run, that the data folder cannot take their puzzles.
  m_library->SaveFile();
}

