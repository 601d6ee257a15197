#pragma once
// CPuzzleCutSettingsDlg: the floating "Configure Puzzle" window of the cuts
// room. It edits the settings of one puzzle (name, number of pieces, cut
// irregularity, display zoom, piece shape, flags, category and music) and
// tells the room about every change of a cutting setting through its
// signals, so the room can regenerate the cuts while a slider moves.
//
// The dialog only holds values and controls; the room owns the puzzle and
// decides what the values mean for it. Closing the dialog (OK or Cancel)
// emits the window's closed signal, on which the room goes home.

#include <functional>
#include <string>
#include <vector>

#include "canvas/controls.h"
#include "canvas/dialogs/dialog_requests.h"
#include "canvas/sigslot.h"

// The values the dialog edits.
struct CPuzzleCutSettings {
  std::string name;
  std::string category;  // empty: no category
  bool rotate = false;
  bool surprise = false;
  bool canBeGift = true;
  int pieceSize = 0;  // side of one grid cell in picture pixels
  int maxPieceSize = 100;
  float chaos = 0.5f;
  int pictureWidth = 0;
  int pictureHeight = 0;
  float zoom = 1.0f;
  int shape = 6;
  // "Full picture": the picture keeps its own size (up to a limit) instead
  // of being reduced to fit the screen.
  bool fullPicture = false;
  std::string musicFile;
  int columns = 0;
  int rows = 0;
};

// How the sliders stand for the values. The difficulty slider runs against
// the piece size: its maximum end asks for the smallest pieces.
namespace cut_settings {

constexpr int kMinPieceSize = 40;

float DifficultyPosition(int pieceSize, int maxPieceSize);
// The piece size a difficulty position asks for, rounded half away from zero.
int PieceSizeAt(float position, int maxPieceSize);
float ChaosPosition(float chaos);
float ChaosAt(float position);

struct ZoomRange {
  float low = 0.5f;
  float high = 2.0f;
};
// From the zoom at which a 300-pixel side fills the screen up to the zoom at
// which the picture just fits the canvas; [0.5, 2] before a picture is set.
// A full picture larger than the canvas reaches up to 1 as well, its own
// size, where its table is larger than the window.
ZoomRange GetZoomRange(const SizeF& canvas, int pictureWidth, int pictureHeight, bool fullPicture = false);

// "Number of puzzle pieces: " and columns × rows.
std::string PiecesCaption(int columns, int rows);
// The path shortened in its middle to at most maxCharacters characters
// (whole UTF-8 characters), with "..." where the middle was.
std::string TrimPathMiddle(const std::string& path, size_t maxCharacters);

// The open dialog's filter for music: every format the sound service plays.
const std::vector<CRSFileFilter>& MusicFilters();

}  // namespace cut_settings

class CPuzzleCutSettingsDlg : public CRSControlWindow {
 public:
  // At 320 units "Puzzle is a surprise" beside "Rotate pieces", and
  // "Classic Rounded" in the shape list, do not fit in the dialog font; the
  // boxes and the rows that reach their right edge grow with the width.
  static constexpr float kWidth = 370.0f;
  static constexpr const char* kTitle = "Configure Puzzle";
  static constexpr const char* kMusicDialogTitle = "Open Puzzle Music:";
  // The two entries of the picture size list, in list order.
  static constexpr const char* kFitTheScreen = "Fit the screen";
  static constexpr const char* kFullPicture = "Full picture";

  // Opens a file dialog for the request on the root and calls back with the
  // chosen path (never on cancel). The application installs the drawn file
  // dialog here; without one the "..." button does nothing.
  using FileDialogOpener =
      std::function<void(CRSCanvasItem* root, const CRSOpenFileRequest& request,
                         std::function<void(const std::string& path)> chosen)>;
  static void SetFileDialogOpener(FileDialogOpener opener);
  // Opens a file dialog through the installed opener; false without one.
  static bool OpenFileDialog(CRSCanvasItem* root, const CRSOpenFileRequest& request,
                             std::function<void(const std::string& path)> chosen);

  // Made on the root canvas. categories: every category title in library
  // order; withGiftBox: the program runs in administrator mode.
  CPuzzleCutSettingsDlg(CRSCanvasItem* root, const std::vector<std::string>& categories, bool withGiftBox);
  // Stops the music the dialog may have started.
  ~CPuzzleCutSettingsDlg() override;

  CPuzzleCutSettings& Values() { return m_values; }
  const CPuzzleCutSettings& Values() const { return m_values; }
  // The canvas the zoom range is measured against.
  void SetCanvasSize(const SizeF& size) { m_canvasSize = size; }
  // Shows every value in its control.
  void Refresh();
  // Puts the window at the top right corner of `area` (a part of the view,
  // such as the floor below the main window's title; null: the whole view)
  // and from then on only keeps it inside the view.
  void PlaceAtTopRight(CRSCanvasItem* area);

  // The cutter built a grid of (columns, rows).
  void OnGridSize(Size grid);
  // A music file was chosen in the open dialog.
  void OnMusicChosen(const std::string& path);
  // The music buttons. Play shows the "ERROR!" box when the file cannot be
  // played and answers false.
  bool PlayMusic();
  void StopMusic();
  // "&Ok": takes the typed name and the chosen category, emits accepted.
  void Accept();

  // The controls, for the room and for tests.
  CRSEdit* GetNameEdit() const { return m_nameEdit; }
  CRSGroupBox* GetPiecesBox() const { return m_piecesBox; }
  CRSSlider* GetDifficultySlider() const { return m_difficulty; }
  CRSSlider* GetChaosSlider() const { return m_chaos; }
  CRSSlider* GetZoomSlider() const { return m_zoom; }
  CRSMultiChoices* GetShapeList() const { return m_shapes; }
  CRSMultiChoices* GetPictureSizeList() const { return m_pictureSize; }
  CRSCheckBox* GetRotateBox() const { return m_rotate; }
  CRSCheckBox* GetSurpriseBox() const { return m_surprise; }
  CRSCheckBox* GetGiftBox() const { return m_gift; }
  CRSMultiChoices* GetCategoryList() const { return m_categories; }
  CRSStatic* GetMusicStatic() const { return m_music; }
  CRSControlButton* GetButton(const std::string& caption) const;

  sigslot::signal0 sigAccepted;
  sigslot::signal1<int> sigPieceSizeChanged;
  sigslot::signal1<float> sigChaosChanged;
  sigslot::signal1<SizeF> sigZoomChanged;
  sigslot::signal1<int> sigShapeChanged;
  // The player chose "Full picture" (true) or "Fit the screen" (false). The
  // room gives the dialog the new picture's values and refreshes it.
  sigslot::signal1<bool> sigPictureSizeChanged;

 private:
  float BuildNameRow(CRSCanvasItem* client);
  float BuildPiecesBox(CRSCanvasItem* client, float top, bool withGiftBox);
  float BuildCategoryBox(CRSCanvasItem* client, float top, const std::vector<std::string>& categories);
  float BuildMusicBox(CRSCanvasItem* client, float top);
  CRSControlButton* AddButton(CRSCanvasItem* parent, const PointF& at, float width, const std::string& caption);

  void OnDifficulty(CRSSlider*, float position);
  void OnChaos(CRSSlider*, float position);
  void OnZoom(CRSSlider*, float position);
  void OnShape(int index);
  void OnPictureSize(int index);
  void OnRotate(bool on) { m_values.rotate = on; }
  void OnSurprise(bool on) { m_values.surprise = on; }
  void OnGift(bool on) { m_values.canBeGift = on; }
  void OnBrowseMusic();
  // Shows the music path, shortened in its middle until it fits its field.
  void ShowMusicPath();
  void OnPlay() { PlayMusic(); }
  void OnStop() { StopMusic(); }
  void OnOk() { Accept(); }
  void OnCancel() { Close(); }

  CPuzzleCutSettings m_values;
  SizeF m_canvasSize;
  // Set while Refresh moves the controls, so their signals are not taken
  // for the user's changes.
  bool m_refreshing = false;

  CRSEdit* m_nameEdit = nullptr;
  CRSGroupBox* m_piecesBox = nullptr;
  CRSSlider* m_difficulty = nullptr;
  CRSSlider* m_chaos = nullptr;
  CRSSlider* m_zoom = nullptr;
  CRSMultiChoices* m_shapes = nullptr;
  CRSMultiChoices* m_pictureSize = nullptr;
  CRSCheckBox* m_rotate = nullptr;
  CRSCheckBox* m_surprise = nullptr;
  CRSCheckBox* m_gift = nullptr;
  CRSMultiChoices* m_categories = nullptr;
  CRSStatic* m_music = nullptr;
  std::vector<CRSControlButton*> m_buttons;
};
