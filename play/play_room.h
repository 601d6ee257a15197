#pragma once
// CPuzzlePlayRoom: the room in which one puzzle is played. It reads the
// puzzle (from its file, or from the gift the program carries), cuts the
// pieces with bevelled edges, restores or scatters them, and offers the play
// menu, a clock, rotating tips, a picture preview and a ghost picture under
// the pieces. It notices completion, congratulates the player and, when it
// goes, saves the puzzle and stores the progress in the library record.
//
// Ownership: the room is a child of the root's floor, like every room, and
// goes when the next room clears the floor. Its items (the table's layers
// with the pieces and the ghost, the menu, clock, tips and windows) are
// children of the floor too, so that a piece the player holds lies above
// every window; the room keeps weak
// references to them, because the next room may delete the floor's children
// in any order. The puzzle data belongs to the room.
//
// The room coordinates parts that each have one job: the table (pieces,
// zoom, pan, overview; table.h), the clock with the tips (play_clock.h), the
// "Menu" and "Tools" panels (button_panel.h), the music (play_room_music.h),
// the ghost and preview (play_preview.h) and the helping commands
// (play_hints.h). Its own work is split over play_room*.cpp: opening and
// leaving, building the pieces, the menu's commands, and completion.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "canvas/object.h"
#include "canvas/weak_ref.h"
#include "platform/bitmap.h"
#include "platform/types.h"

class CPuzzleData;
struct CPuzzleTableView;
struct CPuzzleTrayData;
class CPuzzleGroup;
class CPuzzlePiece;
class CPuzzleRoomHost;
class CPlayClock;
class CPlayHints;
class CPlayPreview;
class CPuzzlePlayMusic;
class CPuzzleTable;
class CPuzzleTableOverview;
class CPuzzleButtonPanel;
class CRSCanvasImage;
class CRSCanvasItem;
class CRSCanvasShape;
class CRSCanvasShapeText;
class CRSControlButton;
class CRSControlWindow;
class CRSProgressBar;

class CPuzzlePlayRoom : public CRSObject {
 public:
  static constexpr const char* kRoomName = "playRoom";
  static constexpr const char* kGiftName = "Gift Puzzle";
  static constexpr int kMenuZOrder = 0x7fffff9a;
  static constexpr const char* kCompleteSound = "SOUND_PUZZLE_COMPLETE.WAV";

  // The room for the puzzle of that library entry; in a gift program (the
  // host says so) the puzzle is the gift's own. When the puzzle cannot be
  // read the room shows the "ERROR" box and deletes itself once it closes;
  // when the pieces cannot be built (the previous room is gone by then),
  // closing the box leads back to the store room.
  CPuzzlePlayRoom(CPuzzleRoomHost* host, const std::string& name);
  ~CPuzzlePlayRoom() override;

  // --- the menu's commands ---------------------------------------------------
  void Scatter();
  void SetPictureShown(bool shown);
  void SetGhostShown(bool shown);
  void Hint();
  void ShowNeighbours();
  void Reveal();
  void ToggleMusic();
  void GoBack();

  // --- what the room shows, for the tests and the line report ---------------
  // False when the puzzle could not be read (the "ERROR" box is up).
  bool IsOpen() const { return m_open; }
  bool IsBuilding() const { return m_building; }
  CPuzzleData* GetPuzzle() const { return m_puzzle.get(); }
  // The library entry's name the room was opened with ("Gift Puzzle" in a
  // gift program); the record is looked up by it.
  const std::string& GetPuzzleName() const { return m_name; }
  const std::vector<CRSWeakRef<CPuzzlePiece>>& GetPieces() const { return m_pieces; }
  const Gdiplus::Bitmap* GetCutImage() const { return m_cutImage.get(); }
  CRSCanvasItem* GetCurrentItem() const { return m_current.get(); }
  void SetCurrentItem(CRSCanvasItem* item);
  CRSControlWindow* GetMenu() const;
  // The table the pieces lie on (null until the pieces are built).
  CPuzzleTable* GetTable() const { return m_table.get(); }
  CPuzzleButtonPanel* GetTools() const { return m_tools.get(); }
  CPuzzleTableOverview* GetOverview() const { return m_overview.get(); }
  // The menu button with that label, or null.
  CRSControlButton* FindMenuButton(const std::string& label) const;
  CRSCanvasImage* GetGhost() const;
  CRSControlWindow* GetPreview() const;
  CRSControlWindow* GetBuildWindow() const { return AsWindow(m_buildWindow); }
  CPlayClock* GetClock() const { return m_clock.get(); }
  CRSCanvasShapeText* GetClockText() const;
  CRSCanvasShapeText* GetTipText() const;
  const CPuzzlePlayMusic* GetMusic() const { return m_music.get(); }
  // Gives the puzzle data the table's view and trays, as a save writes them.
  void StoreTable();
  // The window caption the room asks for (without the program's name).
  std::string MakeCaption() const;
  // The pieces' places in window coordinates, their angles and groups, as
  // report lines.
  void ReportPieces() const;

  // --- the neighbour links of the grid -------------------------------------
  // Gives the piece of a cell empty slots toward its right and lower
  // neighbours (where the grid has them) and links it to its left and upper
  // ones (null at the grid's edge), so that every piece's slots run right,
  // below, left, above: the order in which the connect test tries them.
  static void LinkPiece(CPuzzlePiece* piece, CPuzzlePiece* left, CPuzzlePiece* above, bool lastColumn,
                        bool lastRow);
  // Links pieces given row by row in a grid of `columns`, each as above.
  static void LinkPieceGrid(const std::vector<CPuzzlePiece*>& pieces, int columns);
  // Makes the item of every piece of the puzzle's grid in `parent`, row by
  // row, linked as above. Empty when a piece could not be made.
  static std::vector<CPuzzlePiece*> CreateLinkedPieces(CPuzzleData& puzzle, CRSCanvasItem* parent,
                                                       const Gdiplus::Bitmap& cut);

 private:
  // Windows are held as items: the window classes reach the reference
  // block along two bases.
  static CRSControlWindow* AsWindow(const CRSWeakRef<CRSCanvasItem>& ref);

  // --- opening and building (play_room.cpp, play_room_build.cpp) -----------
  bool ReadPuzzle();
  void ShowReadError();
  void OnErrorClosed(int result);
  bool BuildPieces();
  void HandOver(CRSCanvasItem& container, CRSCanvasItem& surface);
  // The table's own size for this puzzle, or an empty size for a table
  // that is the window.
  SizeF ChooseTableSize() const;
  void CreateTable();
  void RestoreView();
  void CreateTools();
  void OnViewChanged();
  void OnNewTray();
  // The "Undo" and "Redo" buttons follow what the history can do.
  void OnHistoryChanged();
  void OnTableItemsMoved();
  // Puts the pieces the puzzle file names in trays into their trays (the
  // pieces are made, not yet joined).
  void RestoreTrays();
  // The trays and the cells of the pieces in each, as the file keeps them.
  std::vector<CPuzzleTrayData> MakeTrayData() const;
  void ReportTrays() const;
  void SetOverviewShown(bool shown);
  void OnOverviewClosed();
  // The table's view as the puzzle file keeps it.
  CPuzzleTableView MakeTableView() const;
  std::unique_ptr<Gdiplus::Bitmap> MakeBevelledPicture() const;
  void ShowBuildWindow();
  void ShowBuildProgress(int percent);
  void CloseBuildWindow();
  void OnPieceRaised(CRSCanvasItem* item);
  void OnPieceLowered(CRSCanvasItem* item);
  void UpdateCaption();
  void SaveAndRecord();
  void OnFloorClearing();

  // --- the menu (play_room_menu.cpp) ----------------------------------------
  void CreateMenu();
  void OnScatterClicked();

  // --- completion (play_room_finish.cpp) ------------------------------------
  void OnSolved();
  void OnSolvedBoxClosed(int result);

  CPuzzleRoomHost* m_host;
  std::string m_name;
  bool m_saved = false;
  // Whether the room cleared the floor (the previous room is gone).
  bool m_tookFloor = false;
  // An empty item at the front of the floor: the floor deletes its
  // children in order, and this one goes before any piece, so the room
  // saves while every piece still lies where the player left it.
  CRSWeakRef<CRSCanvasItem> m_floorGuard;
  std::unique_ptr<CPuzzleData> m_puzzle;
  // The line-free cut picture; the ghost and the preview show it too.
  std::shared_ptr<Gdiplus::Bitmap> m_cutImage;
  int m_pieceCount = 0;
  bool m_open = false;
  bool m_building = false;
  bool m_gift = false;
  std::vector<CRSWeakRef<CPuzzlePiece>> m_pieces;
  CRSWeakRef<CRSCanvasItem> m_current;

  CRSWeakRef<CRSControlButton> m_musicButton;
  CRSWeakRef<CRSControlButton> m_backButton;
  CRSWeakRef<CRSCanvasItem> m_buildWindow;  // a control window
  CRSWeakRef<CRSProgressBar> m_progressBar;
  std::unique_ptr<CPuzzlePlayMusic> m_music;
  std::unique_ptr<CPlayClock> m_clock;
  std::unique_ptr<CPuzzleTable> m_table;
  std::unique_ptr<CPuzzleButtonPanel> m_menu;
  std::unique_ptr<CPuzzleButtonPanel> m_tools;
  std::unique_ptr<CPuzzleTableOverview> m_overview;
  std::unique_ptr<CPlayPreview> m_pictures;
  std::unique_ptr<CPlayHints> m_hints;
  // The overview opens by itself once, the first time the view shows less
  // than the whole table.
  bool m_overviewOffered = false;
};
