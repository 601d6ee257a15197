#pragma once
// CPuzzleCanvas: the application's root object, a control window that fills
// the main window. It owns the library, switches rooms, composes the window
// caption, paints the background behind every room and answers F1 with the
// help window.
//
// Rooms live on its floor, a scroll view filling its client area: a room
// puts itself and its items there, and the next room clears the floor. The
// library is read when the root is made and written when it is destroyed,
// unless the program is a gift (which never writes a library and takes no
// hold of the data folder), another copy of the game owns the data folder,
// or the library file that is there could not be read.

#include <cstdint>
#include <memory>
#include <string>

#include "canvas/controls.h"
#include "data/library.h"
#include "data/room_host.h"
#include "platform/instance_lock.h"

class CRSScrollView;

class CPuzzleCanvas : public CRSControlWindow, public CPuzzleRoomHost {
 public:
  static constexpr int kHelpKey = 112;  // F1

  CPuzzleCanvas(const SizeF& size, CRSObject* parent, const std::string& name);
  ~CPuzzleCanvas() override;

  // --- the rooms' view of the root -----------------------------------------
  CRSControlWindow* GetRootWindow() override { return this; }
  CRSCanvasItem* GetFloor() override;
  void ClearFloor() override;
  void SetFloorMinSize(const SizeF& size) override;
  CPuzzleLibrary& GetLibrary() override { return *m_library; }
  void GoHome() override;
  CRSObject* PlaySelectedPuzzle() override;
  void ModifySelectedPuzzle() override;
  void CreateNewPuzzle() override;
  void ShowGallery() override;
  void ChooseBackgroundImage() override;
  void ChooseBackgroundColor() override;
  void MakeGift() override;
  void SetCaption(const std::string& text) override;
  void UpdateBackground() override;
  void ShowBackgroundImage(const std::shared_ptr<Gdiplus::Bitmap>& image) override;
  std::shared_ptr<Gdiplus::Bitmap> GetBackgroundImage() const override { return m_library->GetBackgroundImage(); }
  void CreateRoomTitle(CRSObject* room, const std::string& text) override;
  Size GetLargestPictureSize() const override;
  void SetLargestPictureSize(const Size& size) override;
  bool IsGift() const override { return m_library->IsGift(); }
  const std::string& GetGiftPuzzleText() const override { return m_library->GetGiftPuzzleText(); }

  // Decodes the file as the new background; shows the "ERROR" box and keeps
  // the old background when it is not a picture. (The background command
  // ends here once the player has chosen a file.)
  bool SetBackgroundFile(const std::string& path);
  // Sets the gradient's colour (low 24 bits) and rebuilds it.
  void SetGradientColour(std::uint32_t rgb);
  // Opens the help window, or says where the help file was looked for.
  void ShowHelp();
  // The current room (the last room put on the floor), or null.
  CRSObject* GetCurrentRoom() const { return m_room.get(); }
  // Puts a new room on the floor and remembers it as the current one.
  void AdoptRoom(CRSObject* room);
  // Opens the cuts room with a new puzzle made from the picture file; shows
  // the "ERROR" box and keeps the current room when it is refused.
  bool CreatePuzzleFromPicture(const std::string& path);
  // The same from the message loop, after the rooms already queued (a
  // picture named on the command line opens over the first store room).
  void CreatePuzzleFromPictureLater(const std::string& path);
  // A file dropped on the window. Only the store room takes drops: a gift
  // file (a copy of the game carrying a puzzle) is played in gift mode
  // without running it, any other file is taken as a picture for a new
  // puzzle (which says so when it is none). Elsewhere, or while a box or
  // dialog waits for an answer, a drop is ignored.
  void OnFileDropped(const std::string& path);
  // Plays a gift's puzzle from the message loop, as a gift program would:
  // the library is written now, as it stands, and never again, since gift
  // mode does not write it. False, with the "ERROR" box and nothing
  // changed, when the text is no puzzle that can be played.
  bool PlayGiftLater(std::string puzzleText);
  // True when the library will be written at the end.
  bool WillSaveLibrary() const;
  // Why the library file that is there could not be read, for the box that
  // says the puzzles cannot be saved; empty when it was read (or missing).
  const std::string& GetLibraryProblem() const { return m_libraryProblem; }

  // --- items and events ----------------------------------------------------
  void DoSetSize(const SizeF& size) override;
  void OnFrameRebuilt() override { ApplyBrushes(); }
  int FilterEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) override;

 private:
  void LoadLibrary();
  void SaveLibrary();
  void ApplyBrushes();
  void OnOpenPicture(std::string path) { CreatePuzzleFromPicture(path); }
  void OnModifySelected();
  void OnPlayGift();

  // Replaced once, by the library read ahead of the window, if there is one.
  std::unique_ptr<CPuzzleLibrary> m_library = std::make_unique<CPuzzleLibrary>();
  CRSAutoPtrPolymorphic<CRSScrollView> m_floorView;
  CRSAutoPtrPolymorphic<CRSObject> m_room;
  CRSAutoPtrPolymorphic<CRSObject> m_help;
  CRSSignalEmittedTroughEvent1<std::string> m_openPicture;
  CRSSignalEmittedTroughEvent0 m_modifySelected;
  CRSSignalEmittedTroughEvent0 m_playGift;
  std::shared_ptr<Gdiplus::Bitmap> m_shownBackground;
  std::shared_ptr<Gdiplus::Brush> m_backgroundBrush;
  std::shared_ptr<Gdiplus::Brush> m_gradientBrush;
  std::unique_ptr<platform::InstanceLock> m_lock;
  // A library that failed to parse is kept aside before the first save, so
  // the records after the error are not lost with it.
  bool m_keepDamagedLibrary = false;
  // No library file was found: the first home room brings the samples.
  bool m_libraryWasMissing = false;
  // Set when the library file could not be read; nothing is written then.
  std::string m_libraryProblem;
};
