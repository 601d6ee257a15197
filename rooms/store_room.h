#pragma once
// The store room: the home room, where the player's categories lie on the
// floor as folders and the unfinished puzzles as thumbnails, with the
// "Main" and "Tools" panels of commands and a slowly wandering logo.
//
// The room owns neither its floor items nor the library's records: the
// records own their thumbnails, folders and category windows (weakly), the
// floor owns them as canvas items, and the room only wires signals. The
// room lives on the floor and goes with the next room's hand-over, taking
// its timers with it.
//
// Files: store_room.cpp (construction, floor, selection), store_room_panels
// .cpp (the two panels), store_room_commands.cpp, store_room_logo.cpp,
// store_room_places.cpp (random places clear of the panels).

#include <cstdint>
#include <string>
#include <vector>

#include "canvas/auto_ptr.h"
#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "canvas/fading_image.h"
#include "canvas/object.h"
#include "canvas/weak_ref.h"

class CPuzzleCategoryData;
class CPuzzleImageData;
class CPuzzleRoomHost;

class CPuzzleStoreRoom : public CRSObject {
 public:
  static constexpr float kMinWidth = 500.0f;
  static constexpr float kMinHeight = 400.0f;
  static constexpr int kTimerFade = 1;
  static constexpr int kTimerEcho = 2;
  static constexpr unsigned kFadePeriodMs = 700;
  static constexpr unsigned kEchoPeriodMs = 100;
  static constexpr const char* kSurpriseCaption = "It's a surprise, aren't you curious ?";
  static constexpr const char* kDeleteQuestion = "Do you really want to delete the selected puzzle?";
  // The line along the top of the room that tells a new player where puzzles
  // of their own come from.
  static constexpr const char* kCreateHint = "Tip: Create in the Main panel turns photos into puzzles.";

  // The buttons, in panel order; Main first, then Tools.
  enum Button : int {
    kPlay, kModify, kCreate, kDelete, kEmailGift, kGallery, kQuit,
    kBackground, kColor, kSound, kAbout,
    kButtonCount
  };

  CPuzzleStoreRoom(CPuzzleRoomHost* root, const std::string& name);
  ~CPuzzleStoreRoom() override;

  // --- commands (also the buttons' actions) -----------------------------------
  void Open();
  void Modify();
  void Create();
  // Asks first; the deletion runs on "&Yes". (Not "Delete", which would
  // hide the object's own deletion.)
  void AskDeletePuzzle();
  void DeleteSelectedPuzzle();
  void EmailGift();
  void Gallery();
  void Quit();
  void Background();
  void Color();
  void ToggleSound();
  void About();

  // --- for tests and the report -----------------------------------------------
  CRSControlButton* GetButton(int button) const;
  CRSControlWindow* GetMainPanel() const { return m_mainPanel.get(); }
  CRSControlWindow* GetToolsPanel() const { return m_toolsPanel.get(); }
  CRSCanvasFadingImage* GetLogo() const { return m_logo.get(); }
  CRSCanvasFadingImage* GetEcho() const { return m_echo.get(); }
  CBehaviourExclusive* GetSelection() const { return m_selection.get(); }
  CRSControlWindow* GetAboutDialog() const { return m_about.get(); }
  CRSCanvasText* GetHint() const { return m_hint.get(); }
  float GetPhase() const { return m_phase; }
  void SetPhase(float phase) { m_phase = phase; }
  // One line per floor item: "item NAME X Y" (thumbnails and folders).
  void ReportPositions() const;

  void OnTimer(int id, unsigned elapsedMs) override;
  // Tab and Shift+Tab move the selection over the floor's folders and
  // thumbnails in reading order; Enter opens the folder or plays the puzzle.
  int FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) override;
  // The floor's folders and thumbnails in reading order: by rows from the
  // top (tops within kRowBand share a row), then from the left.
  std::vector<CRSCanvasItem*> GetFloorItemsInOrder() const;
  static constexpr float kRowBand = 40.0f;

 private:
  void BuildLogo();
  void BuildPanels();
  void BuildHint();
  void LayOutHint();
  void OnFloorResized(CRSCanvasItem* floor, const SizeF& size);
  CRSControlWindow* BuildPanel(const char* title, float x, float y, int first, int last);
  void UpdateSoundLabel();
  void AddCategory(CPuzzleCategoryData& category);
  void AddPuzzle(CPuzzleImageData& entry);
  // The thumbnails of a category's window are built when the window first
  // opens (or takes a new entry): a library of a thousand puzzles keeps
  // half of them in windows nobody may open, and each costs as much to
  // build as one on the floor.
  void AddPuzzleLater(CPuzzleCategoryData& category, CPuzzleImageData& entry);
  void BuildWaitingEntries(CPuzzleCategoryData& category);
  void WireEntry(CRSCanvasItem* item, bool selected);
  // Draws the item's random place again while a panel lies over it.
  void PlaceClearOfPanels(CRSCanvasItem* item);
  void OnSelected(CRSCanvasItem* item);
  void OnPuzzleAdded(CPuzzleImageData* entry);
  void OnFadeTick();
  void OnEchoTick(unsigned elapsedMs);
  void LetPaintsThrough();
  void OnItemDropped(CRSCanvasItem* item);

  CPuzzleRoomHost* m_root;
  // Per category, in the library's order, the entries whose thumbnails are
  // not built yet.
  struct WaitingEntries {
    CRSWeakRef<CPuzzleCategoryData> category;
    std::vector<CRSWeakRef<CPuzzleImageData>> entries;
  };
  std::vector<WaitingEntries> m_waiting;
  CRSAutoPtrPolymorphic<CBehaviourExclusive> m_selection;
  CRSAutoPtrPolymorphic<CRSControlWindow> m_mainPanel;
  CRSAutoPtrPolymorphic<CRSControlWindow> m_toolsPanel;
  CRSAutoPtrPolymorphic<CRSControlButton> m_buttons[kButtonCount];
  CRSAutoPtrPolymorphic<CRSControlWindow> m_about;
  CRSAutoPtrPolymorphic<CRSCanvasFadingImage> m_logo;
  CRSAutoPtrPolymorphic<CRSCanvasFadingImage> m_echo;
  CRSAutoPtrPolymorphic<CRSCanvasText> m_hint;
  float m_phase = 0.0f;
  // The frames that show the floor filling: the first once the building has
  // taken this long (a library of a thousand puzzles is laid out before
  // then and painted once, whole), the next ones every kPaintEveryMs.
  static constexpr std::uint32_t kFirstPaintAfterMs = 500;
  static constexpr std::uint32_t kPaintEveryMs = 250;
  std::uint32_t m_lastPaint = 0;
  std::uint32_t m_paintPause = kFirstPaintAfterMs;
};
