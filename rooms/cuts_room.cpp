// The cuts room: entering it, building it and the dialog's OK. The picture
// and its cut lines are in cuts_room_picture.cpp.

#include "rooms/cuts_room.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "canvas/controls.h"
#include "data/library.h"
#include "data/puzzle_data.h"
#include "data/room_host.h"
#include "platform/display_scale.h"
#include "platform/report.h"
#include "rooms/cut_settings_dialog.h"

namespace {

void ShowError(CPuzzleRoomHost* root, const std::string& text) {
  CRSMessageBox::Show(text, "ERROR", root->GetRootWindow());
}

}  // namespace

CPuzzleCutsRoom* CPuzzleCutsRoom::CreateFromPicture(CPuzzleRoomHost* root, const std::string& path,
                                                    bool withGiftBox) {
  // The file is decoded once, at its own size; the picture that fits the
  // screen, the one a new puzzle starts with, is made from that.
  const cuts_picture::Loaded full = cuts_picture::LoadFullPicture(path);
  const cuts_picture::Loaded fit =
      full.result == cuts_picture::Result::kOk ? cuts_picture::FitTheScreen(full.picture, root->GetLargestPictureSize())
                                               : full;
  if (fit.result != cuts_picture::Result::kOk) {
    // Nothing was built: the room the player came from stays as it was.
    ShowError(root, cuts_picture::RefusalText(fit.result));
    return nullptr;
  }
  const std::string name = root->GetLibrary().MakeUniqueName(cuts_picture::FileNameOf(path));
  auto puzzle = std::make_shared<CPuzzleData>(name);
  puzzle->SetPicture(fit.picture);
  auto* room = new CPuzzleCutsRoom(root, std::move(puzzle));
  room->m_fullPicture = full.picture;
  room->m_fitPicture = fit.picture;
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
  auto* room = new CPuzzleCutsRoom(root, puzzle);
  // The saved picture is the one of the saved choice; a fitted one is also
  // its own full picture, while a full one is fitted when first asked for.
  room->m_fullPicture = puzzle->GetPicture();
  if (!puzzle->IsFullPicture()) room->m_fitPicture = puzzle->GetPicture();
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
  SetFloorMinSize();
  m_puzzle->GetCutter().SetImageSize(picture.GetWidth(), picture.GetHeight());

  BuildDialog(modify, withGiftBox);
  BuildStage();
  BuildPicture();
  m_dialog->Refresh();
  // The preview starts at the zoom the dialog shows.
  m_zoom = m_dialog->Values().zoom;
  FitStage();
  ReportDialogLayout();
}

void CPuzzleCutsRoom::SetFloorMinSize() {
  // The floor is as large as the picture it shows; a full picture larger
  // than the screen is shown reduced, so the floor is as large as that
  // picture fitted to the screen would be. The largest picture is counted in
  // the screen's pixels, the floor in units.
  const Gdiplus::Bitmap& picture = *m_puzzle->GetPicture();
  const Size largest = m_root->GetLargestPictureSize();
  float w = static_cast<float>(picture.GetWidth()), h = static_cast<float>(picture.GetHeight());
  if (largest.Width > 0 && largest.Height > 0 && (w > largest.Width || h > largest.Height)) {
    const float scale = std::min(largest.Width / w, largest.Height / h);
    w *= scale;
    h *= scale;
  }
  const float density = platform::GetDisplayScale();
  m_root->SetFloorMinSize(SizeF(std::round(w / density), std::round(h / density)));
}

void CPuzzleCutsRoom::ShowCaption() {
  const Size size = m_puzzle->GetCutter().GetImageSize();
  char dimensions[48];
  std::snprintf(dimensions, sizeof dimensions, " (%d x %d)", size.Width, size.Height);
  m_root->SetCaption(m_dialog->Values().name + dimensions);
}

void CPuzzleCutsRoom::TakePictureValues() {
  CPuzzleCutSettings& values = m_dialog->Values();
  const CPuzzleCutter& cutter = m_puzzle->GetCutter();
  const Size size = cutter.GetImageSize();
  values.pieceSize = cutter.GetPieceSize();
  values.maxPieceSize = cutter.GetMaxPieceSize();
  values.pictureWidth = size.Width;
  values.pictureHeight = size.Height;
  m_dialog->OnGridSize(cutter.GetGridSize());
}

void CPuzzleCutsRoom::OnPictureSize(bool full) {
  CPuzzleCutSettingsDlg* dialog = m_dialog.get();
  if (!dialog) return;
  if (!full && !m_fitPicture) {
    const cuts_picture::Loaded fit = cuts_picture::FitTheScreen(m_fullPicture, m_root->GetLargestPictureSize());
    // A long, thin picture may not fit the screen with a piece to spare:
    // it stays a full picture.
    if (fit.result != cuts_picture::Result::kOk) {
      dialog->Values().fullPicture = true;
      dialog->Refresh();
      return;
    }
    m_fitPicture = fit.picture;
  }
  const std::shared_ptr<Gdiplus::Bitmap>& picture = full ? m_fullPicture : m_fitPicture;
  if (picture && picture != m_puzzle->GetPicture()) {
    // The cutter keeps its piece size, so the full picture has more pieces;
    // the preview takes the new picture and its cuts.
    m_puzzle->SetPicture(picture);
    SetFloorMinSize();
    if (CRSCanvasImage* image = m_image.get()) image->SetImage(picture, true);
    OnCutsPath(m_puzzle->GetCutter().GetCutsPath());
    TakePictureValues();
    ShowCaption();
  }
  // The zoom range follows the choice; a zoom outside the new range takes
  // its nearest end, and the preview shows what the slider shows.
  dialog->Refresh();
  m_zoom = dialog->Values().zoom;
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
  const bool full = m_dialog.get() && m_dialog->Values().fullPicture;
  m_fit = cuts_picture::PreviewFit(stage->GetSize(), room, picture.Width, picture.Height, full);
  ShowZoom();
}

void CPuzzleCutsRoom::OnZoom(SizeF zoom) {
  m_zoom = zoom.Width;
  ShowZoom();
}

void CPuzzleCutsRoom::ShowZoom() {
  if (CRSCanvasGroup* group = m_group.get()) group->SetScale(PointF(m_zoom * m_fit, m_zoom * m_fit));
}

float cuts_picture::PreviewFit(const SizeF& stage, const SizeF& floor, int pictureWidth, int pictureHeight,
                              bool fullPicture) {
  if (pictureWidth <= 0 || pictureHeight <= 0 || !(stage.Width > 0.0f) || !(stage.Height > 0.0f)) return 1.0f;
  const float w = static_cast<float>(pictureWidth), h = static_cast<float>(pictureHeight);
  const float largest = cut_settings::GetZoomRange(floor, pictureWidth, pictureHeight, fullPicture).high;
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
  line("picture-size", dialog->GetPictureSizeList());
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
  ShowCaption();

  const CPuzzleCutter& cutter = m_puzzle->GetCutter();
  values.chaos = cutter.GetDeviation();
  values.shape = cutter.GetShapeType();
  values.zoom = m_puzzle->GetSizeScale();
  values.rotate = m_puzzle->GetRotatePiecesWhenScatter();
  values.fullPicture = m_puzzle->IsFullPicture();
  values.musicFile = m_puzzle->GetMusicFileName();
  TakePictureValues();

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
  dialog->sigPictureSizeChanged.connect(this, &CPuzzleCutsRoom::OnPictureSize);
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
  m_puzzle->SetFullPicture(values.fullPicture);
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
