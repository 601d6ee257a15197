#pragma once
// What the rooms ask of the application's root object.
//
// The root object (app/) owns the library, switches rooms, composes the
// caption and paints the background. Rooms (rooms/, play/) sit below app/ in
// the layering, so they reach the root through this interface, which the
// root implements. A room is created with the root and a name; while it is
// constructed it performs the hand-over (`EnterRoom`), and it lives as a
// child of the root's client area until the next room deletes it.

#include <memory>
#include <string>

#include "canvas/object.h"
#include "platform/types.h"

namespace Gdiplus {
class Bitmap;
}
class CPuzzleLibrary;
class CRSCanvasItem;
class CRSControlWindow;

class CPuzzleRoomHost {
 public:
  virtual ~CPuzzleRoomHost() = default;

  // The root window: rooms show their message boxes and floating windows
  // on it.
  virtual CRSControlWindow* GetRootWindow() = 0;
  // The floor of the rooms: the root's scrolling client area, where a room
  // puts itself and its items. Deleting its children ends the current room.
  virtual CRSCanvasItem* GetFloor() = 0;
  // Deletes everything on the floor, the current room included.
  virtual void ClearFloor() = 0;
  // The floor's content size; the root's scroll bars appear when the window
  // is smaller.
  virtual void SetFloorMinSize(const SizeF& size) = 0;
  virtual CPuzzleLibrary& GetLibrary() = 0;

  // Room changes. Each replaces the current room by a new one, except
  // GoHome while the store room still exists.
  virtual void GoHome() = 0;
  // The new play room, or null when no puzzle is selected.
  virtual CRSObject* PlaySelectedPuzzle() = 0;
  virtual void ModifySelectedPuzzle() = 0;
  virtual void CreateNewPuzzle() = 0;
  virtual void ShowGallery() = 0;

  // Commands of the store room's panels.
  virtual void ChooseBackgroundImage() = 0;
  virtual void ChooseBackgroundColor() = 0;
  virtual void MakeGift() = 0;

  // "Tandrill", " Gift" in a gift program, and ": " + text when text is
  // not empty.
  virtual void SetCaption(const std::string& text) = 0;
  // Rebuilds the background from the stored background image.
  virtual void UpdateBackground() = 0;
  // Shows another picture as background without storing it.
  virtual void ShowBackgroundImage(const std::shared_ptr<Gdiplus::Bitmap>& image) = 0;
  virtual std::shared_ptr<Gdiplus::Bitmap> GetBackgroundImage() const = 0;
  // Adds a room's title and the notice line to the floor.
  virtual void CreateRoomTitle(CRSObject* room, const std::string& text) = 0;

  virtual Size GetLargestPictureSize() const = 0;
  virtual void SetLargestPictureSize(const Size& size) = 0;
  virtual bool IsGift() const = 0;
  virtual const std::string& GetGiftPuzzleText() const = 0;
};
