#pragma once
// CPuzzleData: everything needed to play one puzzle — its name and title,
// flags, picture, optional music, the cut, the saved place of every piece
// and the time played — and the puzzle file that keeps it, one per puzzle
// in the folder "puzzles" of the program directory.
//
// Ownership: the data owns its piece records; the records know the piece
// items only weakly (the items belong to the play area). The cutter is a
// member.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "canvas/object.h"
#include "data/cutter.h"
#include "data/puzzle_piece_data.h"
#include "data/puzzle_table_view.h"
#include "data/puzzle_tray_data.h"
#include "data/xml.h"
#include "platform/bitmap.h"

class CRSCanvasItem;
class CPuzzlePiece;
class CRSXMLWriter;

class CPuzzleData : public CRSObject, public CRSXMLParser::XHandler {
 public:
  static constexpr const char* kTag = "puzzle-data";
  // Music shorter than this is kept inside the puzzle file.
  static constexpr std::size_t kMaxEmbeddedMusicBytes = 1048576;
  // The scaled cut picture may not hold more pixels than this (a file must
  // not make the play room allocate gigabytes). A size scale read from a
  // file is believed when it is finite and positive and the scaled cut
  // picture keeps within this budget and at least one pixel a side; any
  // other reads as 1. The cuts room's zoom gives scales far beyond 4 for
  // small pictures and far below 0.05 for very large ones.
  static constexpr double kMaxCutPixels = 64.0 * 1024 * 1024;

  using PieceList = std::vector<std::unique_ptr<CPuzzlePieceData>>;

  explicit CPuzzleData(std::string name);
  ~CPuzzleData() override;

  // Empties the pieces; stores the picture and, when there is one, gives its
  // size to the cutter and keeps its JPEG bytes as Base64.
  void SetPicture(std::shared_ptr<Gdiplus::Bitmap> picture);
  // Remembers the music file and keeps its bytes when it is shorter than
  // kMaxEmbeddedMusicBytes. The same path again, with its bytes held, does
  // nothing (the file is not read twice).
  void SetMusicFile(const std::string& path);
  void SetSizeScale(float scale);

  // Reads the puzzle file of this name. True when the file was read whole
  // and describes a puzzle that can be played (a picture, a sane cut);
  // piece records outside the grid, repeated, or with impossible numbers
  // are dropped. The name stays the one the file was found by, not the one
  // written inside it, so Save writes back to the same file.
  bool Load();
  // The same for a puzzle held as text (a gift's own puzzle).
  bool LoadFromText(std::string_view text);
  // Writes the puzzle file of this name, atomically; false when it could
  // not be written (the old file is then kept as it was).
  bool Save();

  // Clears completion and time played; pieces with items leave their groups
  // and are scattered, records without items are dropped.
  void ResetProgress();

  CPuzzlePieceData* GetPieceData(int column, int row) const;
  CRSCanvasItem* GetPieceItem(int column, int row) const;
  // Builds the piece item of a cell from the cut picture (as made by the
  // cutter's GetCutImage, possibly with bevels drawn on it), adds it to
  // parent and places it as its record says; a cell without a record gets a
  // new one and is scattered. Null when the cell is not part of the cut.
  CPuzzlePiece* CreatePieceItem(CRSCanvasItem* parent, int column, int row, const Gdiplus::Bitmap& cutImage);
  // The same from the piece's picture already cut out (GetPieceImages).
  CPuzzlePiece* CreatePieceItem(CRSCanvasItem* parent, int column, int row, CPuzzleCutter::PieceImage image);
  // 0 to 100 over the pieces that have items.
  int GetPercentCompleted() const;

  // The whole "puzzle-data" element.
  void Write(CRSXMLWriter& out) override;
  void OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                 const std::string& text) override;

  const std::string& GetName() const { return m_name; }
  const std::string& GetTitle() const { return m_title; }
  void SetTitle(const std::string& title) { m_title = title; }
  bool GetRotatePiecesWhenScatter() const { return m_rotatePieces; }
  void SetRotatePiecesWhenScatter(bool on) { m_rotatePieces = on; }
  bool IsCompleted() const { return m_completed; }
  void SetCompleted(bool on) { m_completed = on; }
  bool IsSurprise() const { return m_surprise; }
  void SetSurprise(bool on) { m_surprise = on; }
  // The picture was kept at its own size ("Full picture") rather than
  // reduced to fit the screen; the cuts room offers the same choice again.
  bool IsFullPicture() const { return m_fullPicture; }
  void SetFullPicture(bool on) { m_fullPicture = on; }
  std::int32_t GetTimePlayed() const { return m_timePlayed; }
  void SetTimePlayed(std::int32_t ms) { m_timePlayed = ms; }
  float GetSizeScale() const { return m_sizeScale; }
  // The play room's last view of the table. A file's view that is not sane
  // for its picture (CPuzzleTableView::IsSane) reads as the default.
  const CPuzzleTableView& GetTableView() const { return m_tableView; }
  void SetTableView(const CPuzzleTableView& view) { m_tableView = view; }
  // The play room's trays. A file's trays keep only cells of the grid, each
  // in one tray at most, with places and scales a table can have.
  const std::vector<CPuzzleTrayData>& GetTrays() const { return m_trays; }
  void SetTrays(std::vector<CPuzzleTrayData> trays) { m_trays = std::move(trays); }
  const std::string& GetMusicFileName() const { return m_musicFileName; }
  const std::vector<std::uint8_t>& GetMusicData() const { return m_musicData; }
  const std::string& GetPictureText() const { return m_pictureText; }
  const std::shared_ptr<Gdiplus::Bitmap>& GetPicture() const { return m_picture; }
  CPuzzleCutter& GetCutter() { return m_cutter; }
  const CPuzzleCutter& GetCutter() const { return m_cutter; }
  const PieceList& GetPieces() const { return m_pieces; }

  // The puzzle file of a puzzle name: the folder, the name made safe as a
  // file name, ".pzl".
  static std::string GetPuzzleFileName(std::string_view name);
  // The folder that holds the puzzle files, ending in "/": "puzzles/" in
  // the program directory unless another folder was set (tests and tools).
  static std::string GetPuzzleFolder();
  static void SetPuzzleFolder(std::string folder);
  // A copy of the game that found another copy running on the same data
  // folder reads puzzle files but never writes or removes them: the other
  // copy's library refers to them, and its saved progress must not be
  // overwritten by a stale copy. Save and DeletePuzzleFile then fail.
  static void SetPuzzleFilesWritable(bool writable);
  static bool ArePuzzleFilesWritable();

 private:
  void ResetForReading();
  int Parse(bool fromFile, std::string_view text);
  // Drops records that cannot belong to this cut and says whether the
  // puzzle can be played.
  bool Validate();
  // Every change of the piece list goes through here, so that the index of
  // cells is built anew before it is next used.
  void PiecesChanged() { m_pieceIndexValid = false; }
  void RebuildPieceIndex(Size grid) const;

  std::string m_name;
  bool m_rotatePieces = false;
  bool m_completed = false;
  std::string m_pictureText;
  std::shared_ptr<Gdiplus::Bitmap> m_picture;
  CPuzzleCutter m_cutter;
  PieceList m_pieces;
  // The first record of each cell of the grid, row by row, so that building
  // every piece of a large puzzle does not search the list once per piece.
  mutable std::vector<CPuzzlePieceData*> m_pieceIndex;
  mutable Size m_pieceIndexGrid;
  mutable bool m_pieceIndexValid = false;
  std::string m_musicFileName;
  std::vector<std::uint8_t> m_musicData;
  std::int32_t m_timePlayed = 0;
  std::string m_title;
  bool m_surprise = false;
  bool m_fullPicture = false;
  float m_sizeScale = 1.0f;
  CPuzzleTableView m_tableView;
  std::vector<CPuzzleTrayData> m_trays;
  bool m_sawRoot = false;
};

// Removes the puzzle file of that name (only that file, inside the puzzles
// folder). False when there was none, or when puzzle files are read-only.
bool DeletePuzzleFile(std::string_view name);
