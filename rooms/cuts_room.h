#pragma once
// CPuzzleCutsRoom: where a puzzle is made from a picture, or an existing
// puzzle cut anew. It shows the picture in the middle of the floor with the
// future cut lines over it, and the "Configure Puzzle" dialog beside it.
// Every change of a cutting setting regenerates the cuts at once; OK writes
// the puzzle file and the library entry, OK and Cancel return to the store
// room.
//
// Ownership: the room lives on the root's floor, so the next room deletes
// it. It shares the puzzle being made; it holds the library entry and the
// dialog only weakly (the library owns the entry; the dialog, a window on
// the root, deletes itself when it closes).

#include <cstdint>
#include <memory>
#include <string>

#include "canvas/object.h"
#include "canvas/items.h"
#include "canvas/weak_ref.h"
#include "data/puzzle_image_data.h"
#include "platform/bitmap.h"
#include "platform/types.h"
#include "rooms/cut_settings_dialog.h"

class CPuzzleData;
class CPuzzleRoomHost;
namespace Gdiplus {
class GraphicsPath;
}

// Loading the picture of a new puzzle.
namespace cuts_picture {

// Pictures narrower or lower than this cannot give one piece of the
// smallest size in each direction with room for a neighbour.
constexpr int kMinSide = 80;
// A "Full picture" keeps its own size up to this longer side.
constexpr int kFullPictureSide = 8192;
// Picture files whose pixels would take more than this at four bytes a
// pixel are refused from their header, before anything is decoded, unless
// they are JPEG photos, which are reduced to a full picture's size while
// they are decoded.
constexpr std::int64_t kMaxDecodedBytes = std::int64_t(512) << 20;

enum class Result { kOk, kTooSmall, kUnrecognised, kTooLarge };

struct Loaded {
  Result result = Result::kUnrecognised;
  // Always 24-bit RGB, no larger than the size asked for.
  std::shared_ptr<Gdiplus::Bitmap> picture;
};

// Decodes the file and makes the puzzle's picture from it: reduced keeping
// its aspect when it is as wide or as tall as `largest` (or larger), then
// 24-bit. A picture that the reduction leaves below the minimum side is
// refused as too small, like one that was so from the start.
Loaded LoadFile(const std::string& path, const Size& largest);
// The same for a "Full picture": the picture at its own size, reduced only
// when its longer side is beyond kFullPictureSide.
Loaded LoadFullPicture(const std::string& path);
// The screen's rule for a decoded picture (null: not a picture). A picture
// that needs neither reduction nor conversion is taken over, not copied.
Loaded Prepare(std::unique_ptr<Gdiplus::Bitmap> decoded, const Size& largest);
Loaded Prepare(const Gdiplus::Bitmap* decoded, const Size& largest);
// The "Full picture" rule for a decoded picture.
Loaded PrepareFull(std::unique_ptr<Gdiplus::Bitmap> decoded);
// The "Fit the screen" picture of a full one: the full picture itself when
// the screen's rule leaves it as it is.
Loaded FitTheScreen(const std::shared_ptr<Gdiplus::Bitmap>& full, const Size& largest);
// The text of the "ERROR" box for a refusal.
std::string RefusalText(Result result);
// The file name, extension kept, of a path whose backslashes are taken
// for slashes.
std::string FileNameOf(const std::string& path);

// The preview shows the picture at the chosen zoom times this factor: 1 when
// the picture at the largest zoom (where it just fits the floor) also fits
// the stage, the part of the floor beside the dialog; less when it would
// reach under the dialog. The factor does not change with the zoom, so
// every zoom step still shows as the same change of size.
float PreviewFit(const SizeF& stage, const SizeF& floor, int pictureWidth, int pictureHeight,
                 bool fullPicture = false);

}  // namespace cuts_picture

class CPuzzleCutsRoom : public CRSObject {
 public:
  static constexpr const char* kRoomTitle = "Create Room";
  static constexpr Gdiplus::ARGB kHaloPen = 0x80FFFFFF;
  static constexpr Gdiplus::ARGB kLinePen = 0x80000000;
  // How far the drawn cuts may stray from their curves, in picture pixels.
  static constexpr float kPreviewFlatness = 0.5f;

  // Create: a new puzzle from a picture file. Shows the "ERROR" box and
  // answers null (the current room stays) when the picture is refused.
  // withGiftBox: the program runs in administrator mode, and the dialog
  // offers "It can be a gift".
  static CPuzzleCutsRoom* CreateFromPicture(CPuzzleRoomHost* root, const std::string& path, bool withGiftBox = false);
  // Modify: the library's puzzle of that name cut anew. Shows the "ERROR"
  // box and answers null when its file cannot be read.
  static CPuzzleCutsRoom* CreateFromPuzzle(CPuzzleRoomHost* root, const std::string& name, bool withGiftBox = false);
  ~CPuzzleCutsRoom() override;

  CPuzzleData* GetPuzzle() const { return m_puzzle.get(); }
  CPuzzleImageData* GetRecord() const { return m_record.get(); }
  CPuzzleCutSettingsDlg* GetDialog() const { return m_dialog.get(); }
  CRSCanvasGroup* GetPictureGroup() const { return m_group.get(); }
  // The part of the floor left of the dialog, where the picture is centred.
  CRSCanvasItem* GetStage() const { return m_stage.get(); }
  CRSCanvasShape* GetCutsShape() const { return m_cuts.get(); }

  // The dialog's OK: writes the puzzle and its entry, then closes the dialog.
  // False when the puzzle file could not be written (the dialog stays).
  bool Accept();

 private:
  CPuzzleCutsRoom(CPuzzleRoomHost* root, std::shared_ptr<CPuzzleData> puzzle);
  void Build(bool modify, bool withGiftBox);
  void BuildDialog(bool modify, bool withGiftBox);
  void BuildStage();
  void BuildPicture();
  void OnFloorResized(CRSCanvasItem*, const SizeF&) { FitStage(); }
  void FitStage();
  void ShowZoom();
  void OnCutsPath(const Gdiplus::GraphicsPath& path);
  void OnGridSize(Size grid);
  void OnZoom(SizeF zoom);
  void OnPictureSize(bool full);
  // The dialog takes the cutter's values for the puzzle's picture.
  void TakePictureValues();
  void ShowCaption();
  void SetFloorMinSize();
  void OnAccepted() { Accept(); }
  void OnDialogClosed();
  void ReportDialogLayout() const;

  CPuzzleRoomHost* m_root;
  std::shared_ptr<CPuzzleData> m_puzzle;
  CRSWeakRef<CPuzzleImageData> m_record;
  CRSWeakRef<CPuzzleCutSettingsDlg> m_dialog;
  CRSWeakRef<CRSCanvasItem> m_stage;
  CRSWeakRef<CRSCanvasGroup> m_group;
  CRSWeakRef<CRSCanvasShape> m_cuts;
  CRSWeakRef<CRSCanvasImage> m_image;
  // The puzzle's picture for each choice of picture size. A new puzzle has
  // both from its file; a puzzle cut anew has the one it was saved with, and
  // the other is made from it when first asked for (a picture that was fitted
  // to the screen is its own full picture).
  std::shared_ptr<Gdiplus::Bitmap> m_fullPicture;
  std::shared_ptr<Gdiplus::Bitmap> m_fitPicture;
  // The dialog's zoom, and the preview's own reduction (PreviewFit).
  float m_zoom = 1.0f;
  float m_fit = 1.0f;
  // The cutter's outline as the cut lines last took it, so that a second
  // notice of the same outline in one slider step is not flattened again.
  Gdiplus::GraphicsPath m_shownCuts;
};
