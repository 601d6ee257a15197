// The "Configure Puzzle" window: how its controls stand for the values, and
// the work of its buttons.

#include <algorithm>
#include <cmath>
#include <utility>

#include "canvas/sound.h"
#include "canvas/weak_ref.h"
#include "platform/report.h"
#include "rooms/cut_settings_dialog.h"

namespace cut_settings {

float DifficultyPosition(int pieceSize, int maxPieceSize) {
  return static_cast<float>(maxPieceSize + kMinPieceSize - pieceSize);
}

int PieceSizeAt(float position, int maxPieceSize) {
  // std::lround rounds halves away from zero.
  return static_cast<int>(std::lround(static_cast<double>(maxPieceSize) + kMinPieceSize - position));
}

float ChaosPosition(float chaos) { return chaos * 100.0f; }

float ChaosAt(float position) { return position * 0.01f; }

ZoomRange GetZoomRange(const SizeF& canvas, int pictureWidth, int pictureHeight, bool fullPicture) {
  if (pictureWidth <= 0 || pictureHeight <= 0) return ZoomRange();
  const float w = static_cast<float>(pictureWidth);
  const float h = static_cast<float>(pictureHeight);
  ZoomRange range;
  range.high = std::min(canvas.Width / w, canvas.Height / h);
  if (fullPicture) range.high = std::max(range.high, 1.0f);
  range.low = std::min(std::max(300.0f / w, 300.0f / h), range.high);
  return range;
}

std::string PiecesCaption(int columns, int rows) {
  return "Number of puzzle pieces: " + std::to_string(static_cast<long long>(columns) * rows);
}

std::string TrimPathMiddle(const std::string& path, size_t maxCharacters) {
  // Character starts: every byte that is not a UTF-8 continuation byte.
  std::vector<size_t> starts;
  for (size_t i = 0; i < path.size(); ++i) {
    if ((static_cast<unsigned char>(path[i]) & 0xC0) != 0x80) starts.push_back(i);
  }
  if (starts.size() <= maxCharacters || maxCharacters < 5) return path;
  const size_t keep = maxCharacters - 3;
  const size_t head = keep / 2;
  const size_t tail = keep - head;
  return path.substr(0, starts[head]) + "..." + path.substr(starts[starts.size() - tail]);
}

const std::vector<CRSFileFilter>& MusicFilters() {
  static const std::vector<CRSFileFilter> filters = {
      {"Audio Files (*.WAV;*.MID;*.RMI;*.OGG;*.MP3;*.FLAC)", "*.WAV;*.MID;*.RMI;*.OGG;*.MP3;*.FLAC"},
  };
  return filters;
}

}  // namespace cut_settings

namespace {

CPuzzleCutSettingsDlg::FileDialogOpener& Opener() {
  static CPuzzleCutSettingsDlg::FileDialogOpener opener;
  return opener;
}

}  // namespace

void CPuzzleCutSettingsDlg::SetFileDialogOpener(FileDialogOpener opener) { Opener() = std::move(opener); }

bool CPuzzleCutSettingsDlg::OpenFileDialog(CRSCanvasItem* root, const CRSOpenFileRequest& request,
                                           std::function<void(const std::string& path)> chosen) {
  if (!Opener()) return false;
  Opener()(root, request, std::move(chosen));
  return true;
}

CPuzzleCutSettingsDlg::~CPuzzleCutSettingsDlg() { StopMusic(); }

void CPuzzleCutSettingsDlg::Refresh() {
  m_refreshing = true;
  m_nameEdit->SetText(m_values.name);

  m_difficulty->SetRange(static_cast<float>(cut_settings::kMinPieceSize), static_cast<float>(m_values.maxPieceSize));
  m_difficulty->SetValue(cut_settings::DifficultyPosition(m_values.pieceSize, m_values.maxPieceSize));
  m_chaos->SetValue(cut_settings::ChaosPosition(m_values.chaos));
  const cut_settings::ZoomRange zoom =
      cut_settings::GetZoomRange(m_canvasSize, m_values.pictureWidth, m_values.pictureHeight, m_values.fullPicture);
  m_zoom->SetRange(zoom.low, zoom.high);
  m_zoom->SetValue(m_values.zoom);
  // A zoom outside the range (1.0 for a picture smaller than 300 pixels, or
  // a puzzle made on a larger screen) shows as the nearest end of the
  // slider; the value follows, so that the preview and the saved puzzle
  // are what the slider shows.
  m_values.zoom = m_zoom->GetValue();

  m_shapes->SetSelection(m_values.shape);
  m_pictureSize->SetSelection(m_values.fullPicture ? 1 : 0);
  m_rotate->SetChecked(m_values.rotate);
  m_surprise->SetChecked(m_values.surprise);
  if (m_gift) m_gift->SetChecked(m_values.canBeGift);
  // An unknown category (none of the list's entries) shows the empty entry.
  m_categories->SelectText(m_values.category);
  if (m_categories->GetSelectedText() != m_values.category) m_categories->SetSelection(0);
  ShowMusicPath();
  m_refreshing = false;
}

void CPuzzleCutSettingsDlg::OnGridSize(Size grid) {
  m_values.columns = grid.Width;
  m_values.rows = grid.Height;
  m_piecesBox->SetCaption(cut_settings::PiecesCaption(grid.Width, grid.Height));
  platform::ReportLine(m_piecesBox->GetCaption());
}

void CPuzzleCutSettingsDlg::OnDifficulty(CRSSlider*, float position) {
  if (m_refreshing) return;
  const int size = cut_settings::PieceSizeAt(position, m_values.maxPieceSize);
  if (size == m_values.pieceSize) return;
  m_values.pieceSize = size;
  sigPieceSizeChanged(size);
}

void CPuzzleCutSettingsDlg::OnChaos(CRSSlider*, float position) {
  if (m_refreshing) return;
  const float chaos = cut_settings::ChaosAt(position);
  if (chaos == m_values.chaos) return;
  m_values.chaos = chaos;
  sigChaosChanged(chaos);
}

void CPuzzleCutSettingsDlg::OnZoom(CRSSlider*, float position) {
  if (m_refreshing) return;
  m_values.zoom = position;
  sigZoomChanged(SizeF(position, position));
}

void CPuzzleCutSettingsDlg::OnShape(int index) {
  if (m_refreshing || index < 0) return;
  m_values.shape = index;
  sigShapeChanged(index);
}

void CPuzzleCutSettingsDlg::OnPictureSize(int index) {
  const bool full = index == 1;
  if (m_refreshing || index < 0 || full == m_values.fullPicture) return;
  m_values.fullPicture = full;
  sigPictureSizeChanged(full);
}

void CPuzzleCutSettingsDlg::OnBrowseMusic() {
  CRSOpenFileRequest request;
  request.title = kMusicDialogTitle;
  request.filters = cut_settings::MusicFilters();
  request.kind = CRSDialogKind::kMusic;
  // The dialog may answer after this window has gone; the weak reference
  // reads null then and the answer is dropped.
  CRSWeakRef<CPuzzleCutSettingsDlg> self(this);
  OpenFileDialog(GetRootItem(), request, [self](const std::string& path) {
    if (CPuzzleCutSettingsDlg* dialog = self.get()) dialog->OnMusicChosen(path);
  });
}

void CPuzzleCutSettingsDlg::OnMusicChosen(const std::string& path) {
  StopMusic();
  m_values.musicFile = path;
  ShowMusicPath();
}

void CPuzzleCutSettingsDlg::ShowMusicPath() {
  // The field is measured in the dialog font, so the longest shortening that
  // still fits is searched for: a path of narrow letters keeps more of
  // itself than one of wide letters.
  const std::string& path = m_values.musicFile;
  const float room = m_music->GetSize().Width;
  auto fits = [&](const std::string& text) {
    m_music->SetText(text);
    return m_music->GetTextItem()->MeasureText().Width <= room;
  };
  if (fits(path)) return;
  size_t low = 5, high = path.size();  // characters; `high` never fits
  while (high - low > 1) {
    const size_t middle = (low + high) / 2;
    if (fits(cut_settings::TrimPathMiddle(path, middle))) low = middle;
    else high = middle;
  }
  m_music->SetText(cut_settings::TrimPathMiddle(path, low));
}

bool CPuzzleCutSettingsDlg::PlayMusic() {
  if (m_values.musicFile.empty()) return false;
  if (CRSSoundHandler::Instance().PlayFile(m_values.musicFile, true, CRSSoundHandler::kChannelMusic)) return true;
  const std::string text = "\"" + m_values.musicFile + "\"\nfile couldn't be played!";
  CRSMessageBox::Show(text, "ERROR!", GetRootItem());
  return false;
}

void CPuzzleCutSettingsDlg::StopMusic() {
  if (!m_values.musicFile.empty()) CRSSoundHandler::Instance().CloseFile(m_values.musicFile);
}

void CPuzzleCutSettingsDlg::Accept() {
  m_values.name = m_nameEdit->GetText();
  m_values.category = m_categories->GetSelectedText();
  sigAccepted();
}
