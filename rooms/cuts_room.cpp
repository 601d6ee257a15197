// The cuts room: entering it, building it and the dialog's OK. The picture
// and its cut lines are in cuts_room_picture.cpp.

#include "rooms/cuts_room.h"

#include <algorithm>
#include <cstdio>

#include "canvas/controls.h"
#include "data/library.h"
#include "data/puzzle_data.h"
#include "data/room_host.h"
#include "platform/report.h"
#include "rooms/cut_settings_dialog.h"

namespace {

void ShowError(CPuzzleRoomHost* root, const std::string& text) {
  CRSMessageBox::Show(text, "ERROR", root->GetRootWindow());
}

}  // namespace

CPuzzleCutsRoom* CPuzzleCutsRoom::CreateFromPicture(CPuzzleRoomHost* root, const std::string& path,
                                                    bool withGiftBox) {
  const cuts_picture::Loaded loaded = cuts_picture::LoadFile(path, root->GetLargestPictureSize());
  if (loaded.result != cuts_picture::Result::kOk) {
    // Nothing was built: the room the player came from stays as it was.
    ShowError(root, cuts_picture::RefusalText(loaded.result));
    return nullptr;
  }
  const std::string name = root->GetLibrary().MakeUniqueName(cuts_picture::FileNameOf(path));
  auto puzzle = std::make_shared<CPuzzleData>(name);
  puzzle->SetPicture(loaded.picture);
  auto* room = new CPuzzleCutsRoom(root, std::move(puzzle));
  room->Build(false, withGiftBox);
  return room;
}

CPuzzleCutsRoom* CPuzzleCutsRoom::CreateFromPuzzle(CPuzzleRoomHost* root, const std::string& name,
                                                   bool withGiftBox) {
  auto puzzle = std::make_shared<CPuzzleData>(name);
  if (name.empty() || !puzzle->Load() || !puzzle->GetPicture()) {
    ShowError(root, "Could not read the puzzle file");
    return nullptr;
  }
  auto* room = new CPuzzleCutsRoom(root, std::move(puzzle));
  room->Build(true, withGiftBox);
  return room;
}

CPuzzleCutsRoom::CPuzzleCutsRoom(CPuzzleRoomHost* root, std::shared_ptr<CPuzzleData> puzzle)
    : CRSObject(nullptr, "cutsRoom"), m_root(root), m_puzzle(std::move(puzzle)) {}

CPuzzleCutsRoom::~CPuzzleCutsRoom() {
  // The dialog is a window on the root, not on the floor: when the room goes
  // another way (the program ends), it must not stay behind without it.
  if (CPuzzleCutSettingsDlg* dialog = m_dialog.get()) {
    dialog->sigClosed.disconnect(this);
    dialog->Close();
  }
}

void CPuzzleCutsRoom::Build(bool modify, bool withGiftBox) {
  // The hand-over: the store room goes, this room takes the floor. The
  // background stays the one the store room showed.
  m_root->ClearFloor();
  SetParent(m_root->GetFloor());
  m_root->CreateRoomTitle(this, kRoomTitle);

  CPuzzleLibrary& library = m_root->GetLibrary();
  m_record.Assign(library.FindPuzzleImage(m_puzzle->GetName()));

  const Gdiplus::Bitmap& picture = *m_puzzle->GetPicture();
  const Size size(picture.GetWidth(), picture.GetHeight());
  m_root->SetFloorMinSize(SizeF(static_cast<float>(size.Width), static_cast<float>(size.Height)));
  m_puzzle->GetCutter().SetImageSize(size.Width, size.Height);

  BuildDialog(modify, withGiftBox);
  BuildStage();
  BuildPicture();
  m_dialog->Refresh();
  // The preview starts at the zoom the dialog shows.
  m_zoom = m_dialog->Values().zoom;
  FitStage();
  ReportDialogLayout();
}

void CPuzzleCutsRoom::BuildStage() {
  CRSCanvasItem* floor = m_root->GetFloor();
  auto* stage = new CRSCanvasItem(PointF(), floor, "cutsStage");
  stage->SetZOrder(0);
  m_stage.Assign(stage);
  floor->sigResized.connect(this, &CPuzzleCutsRoom::OnFloorResized);
}

void CPuzzleCutsRoom::FitStage() {
  CRSCanvasItem* stage = m_stage.get();
  CRSCanvasItem* floor = m_root->GetFloor();
  if (!stage || !floor) return;
  // The dialog starts at the floor's right edge; the picture is centred in
  // what is left, so a picture as large as the floor is seen whole. On a
  // floor too narrow to share, the picture takes all of it and the player
  // moves the dialog aside.
  const SizeF room = floor->GetSize();
  float reserved = 0.0f;
  // A little floor between the picture and the dialog keeps the picture's
  // edge (and the cut lines drawn over it) clear of the dialog's frame.
  constexpr float kGap = 8.0f;
  if (CPuzzleCutSettingsDlg* dialog = m_dialog.get()) reserved = dialog->GetSize().Width + kGap;
  if (room.Width - reserved < room.Width / 2) reserved = 0.0f;
  stage->SetSize(SizeF(room.Width - reserved, room.Height));
  const Size picture = m_puzzle->GetCutter().GetImageSize();
  m_fit = cuts_picture::PreviewFit(stage->GetSize(), room, picture.Width, picture.Height);
  ShowZoom();
}

void CPuzzleCutsRoom::OnZoom(SizeF zoom) {
  m_zoom = zoom.Width;
  ShowZoom();
}

void CPuzzleCutsRoom::ShowZoom() {
  if (CRSCanvasGroup* group = m_group.get()) group->SetScale(PointF(m_zoom * m_fit, m_zoom * m_fit));
}

float cuts_picture::PreviewFit(const SizeF& stage, const SizeF& floor, int pictureWidth, int pictureHeight) {
  if (pictureWidth <= 0 || pictureHeight <= 0 || !(stage.Width > 0.0f) || !(stage.Height > 0.0f)) return 1.0f;
  const float w = static_cast<float>(pictureWidth), h = static_cast<float>(pictureHeight);
  const float largest = cut_settings::GetZoomRange(floor, pictureWidth, pictureHeight).high;
  if (!(largest > 0.0f)) return 1.0f;
  return std::min({1.0f, stage.Width / (w * largest), stage.Height / (h * largest)});
}

void CPuzzleCutsRoom::ReportDialogLayout() const {
  // Where the dialog's working parts are on the root, for scripted players.
  CPuzzleCutSettingsDlg* dialog = m_dialog.get();
  CRSCanvasItem* root = m_root->GetRootWindow();
  auto line = [&](const char* what, CRSCanvasItem* item) {
    if (!item) return;
    const RectF r = item->GetBoundsIn(root);
    char text[128];
    std::snprintf(text, sizeof text, "cuts %s %d %d %d %d", what, static_cast<int>(r.X), static_cast<int>(r.Y),
                  static_cast<int>(r.Width), static_cast<int>(r.Height));
    platform::ReportLine(text);
  };
  line("dialog", dialog);
  line("difficulty", dialog->GetDifficultySlider());
  // A script drags the thumb, so it must know where the thumb stands now.
  line("difficulty-thumb", dialog->GetDifficultySlider()->GetThumbItem());
  line("shapes", dialog->GetShapeList());
  line("category", dialog->GetCategoryList());
  line("name", dialog->GetNameEdit());
  line("ok", dialog->GetButton("&Ok"));
  line("cancel", dialog->GetButton("&Cancel"));
  line("picture", m_group.get());
}

void CPuzzleCutsRoom::BuildDialog(bool modify, bool withGiftBox) {
  CPuzzleLibrary& library = m_root->GetLibrary();
  std::vector<std::string> categories;
  for (const auto& category : library.GetCategories()) {
    if (category) categories.push_back(category->GetTitle());
  }
  auto* dialog = new CPuzzleCutSettingsDlg(m_root->GetRootWindow(), categories, withGiftBox);
  m_dialog.Assign(dialog);
  dialog->SetCanvasSize(m_root->GetFloor()->GetSize());
  dialog->PlaceAtTopRight(m_root->GetFloor());

  CPuzzleCutSettings& values = dialog->Values();
  CPuzzleImageData* record = m_record.get();
  if (modify && record) {
    values.name = record->GetTitle().empty() ? record->GetName() : record->GetTitle();
  } else {
    values.name = m_puzzle->GetName();
  }
  const Size size = m_puzzle->GetCutter().GetImageSize();
  char dimensions[48];
  std::snprintf(dimensions, sizeof dimensions, " (%d x %d)", size.Width, size.Height);
  m_root->SetCaption(values.name + dimensions);

  const CPuzzleCutter& cutter = m_puzzle->GetCutter();
  values.pieceSize = cutter.GetPieceSize();
  values.chaos = cutter.GetDeviation();
  values.shape = cutter.GetShapeType();
  values.maxPieceSize = cutter.GetMaxPieceSize();
  values.pictureWidth = size.Width;
  values.pictureHeight = size.Height;
  values.zoom = m_puzzle->GetSizeScale();
  values.rotate = m_puzzle->GetRotatePiecesWhenScatter();
  values.musicFile = m_puzzle->GetMusicFileName();
  dialog->OnGridSize(cutter.GetGridSize());

  if (record) {
    values.category = record->GetCategory();
    values.surprise = record->IsSurprise();
    values.canBeGift = record->CanBeGift();
  } else if (CPuzzleCategoryData* category = library.GetSelectedCategory()) {
    values.category = category->GetTitle();
  } else if (CPuzzleImageData* selected = library.GetSelectedPuzzleImage()) {
    values.category = selected->GetCategory();
  }

  CPuzzleCutter& live = m_puzzle->GetCutter();
  live.sigGridSize.connect(dialog, &CPuzzleCutSettingsDlg::OnGridSize);
  live.sigGridSize.connect(this, &CPuzzleCutsRoom::OnGridSize);
  live.sigCutsPath.connect(this, &CPuzzleCutsRoom::OnCutsPath);
  dialog->sigPieceSizeChanged.connect(&live, &CPuzzleCutter::SetPieceSize);
  dialog->sigChaosChanged.connect(&live, &CPuzzleCutter::SetDeviation);
  dialog->sigShapeChanged.connect(&live, &CPuzzleCutter::SetShapeType);
  dialog->sigZoomChanged.connect(this, &CPuzzleCutsRoom::OnZoom);
  dialog->sigAccepted.connect(this, &CPuzzleCutsRoom::OnAccepted);
  dialog->sigClosed.connect(this, &CPuzzleCutsRoom::OnDialogClosed);
}

bool CPuzzleCutsRoom::Accept() {
  CPuzzleCutSettingsDlg* dialog = m_dialog.get();
  // A second OK before the closing dialog is gone writes nothing again.
  if (!dialog || dialog->IsClosing()) return false;
  const CPuzzleCutSettings& values = dialog->Values();
  CPuzzleLibrary& library = m_root->GetLibrary();

  // No saved placement survives a new cut. The time already played stays
  // with the puzzle.
  const std::int32_t played = m_puzzle->GetTimePlayed();
  m_puzzle->ResetProgress();
  m_puzzle->SetTimePlayed(played);

  // The file is written before the entry is made, so a puzzle that could
  // not be saved never appears in the library without its file.
  m_puzzle->SetTitle(values.name);
  m_puzzle->SetSurprise(values.surprise);
  m_puzzle->SetRotatePiecesWhenScatter(values.rotate);
  m_puzzle->SetSizeScale(values.zoom);
  m_puzzle->SetMusicFile(values.musicFile);
  m_puzzle->SetCompleted(false);
  if (!m_puzzle->Save()) {
    ShowError(m_root, "The puzzle file could not be written:\n" + CPuzzleData::GetPuzzleFileName(m_puzzle->GetName()));
    return false;
  }

  CPuzzleImageData* record = m_record.get();
  if (!record) {
    record = new CPuzzleImageData(m_puzzle->GetPicture().get(), m_puzzle->GetName());
    library.ClearPuzzleSelection(true);
    record->SetSelected(true);
    library.AddPuzzleImage(record);
    m_record.Assign(record);
  }
  const Size grid = m_puzzle->GetCutter().GetGridSize();
  const int pieceSize = m_puzzle->GetCutter().GetPieceSize();
  record->SetTitle(values.name);
  record->SetSize(Size(grid.Width * pieceSize, grid.Height * pieceSize));
  record->SetPercentCompleted(0);
  record->SetNumberOfPieces(grid.Width * grid.Height);
  record->SetSurprise(values.surprise);
  record->SetCanBeGift(values.canBeGift);
  record->SetScattered(true);
  record->SetCategory(values.category);
  platform::ReportLine("puzzle saved " + m_puzzle->GetName());

  dialog->Close();
  return true;
}

void CPuzzleCutsRoom::OnDialogClosed() {
  // The store room is built anew; it deletes this room as it takes the floor.
  m_root->GoHome();
}
