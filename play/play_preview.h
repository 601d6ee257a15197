#pragma once
// CPlayPreview: the pictures of the solved puzzle in the play room. The
// ghost is a faint copy of the cut picture on the table, under the pieces;
// the preview is a small resizable window of its own with the picture. The
// part keeps the menu's "Picture" and "Ghost" buttons in step with what is
// shown, however it was opened or closed.
//
// Ownership: the room owns the part; the ghost (a child of the table's
// surface), the preview window (a child of the floor) and the buttons are
// held weakly, since the next room may clear the floor first.

#include <memory>

#include "canvas/object.h"
#include "canvas/weak_ref.h"
#include "platform/bitmap.h"
#include "platform/types.h"

class CRSCanvasImage;
class CRSCanvasItem;
class CRSControlButton;
class CRSControlWindow;

class CPlayPreview : public CRSObject {
 public:
  static constexpr int kPreviewZOrder = 0x40000063;

  // `floor` takes the preview window; the picture is the cut picture.
  CPlayPreview(CRSCanvasItem* floor, std::shared_ptr<Gdiplus::Bitmap> picture);
  ~CPlayPreview() override;

  // Makes the ghost on the table's surface, hidden; null without a picture.
  CRSCanvasImage* CreateGhost(CRSCanvasItem* surface);
  // The buttons that show and hide the preview and the ghost (either may be
  // null): their toggles switch the pictures, and they follow every change.
  void AttachButtons(CRSControlButton* picture, CRSControlButton* ghost);

  void SetPictureShown(bool shown);
  void SetGhostShown(bool shown);
  CRSCanvasImage* GetGhost() const { return m_ghost.get(); }
  CRSControlWindow* GetPreview() const;
  // The ghost's top-left corner in the coordinates of `item`'s parent
  // (where a hint puts the solved picture's corner); the origin without a
  // ghost.
  PointF GetGhostCornerFor(const CRSCanvasItem& item) const;

  // The colour matrix of the ghost picture: colours kept and lightened by
  // 0.1, alpha at 0.3 of the picture's.
  static void MakeGhostMatrix(float (&m)[5][5]);

 private:
  void OpenPreview();
  void ClosePreview();
  void OnPreviewClosed();
  void OnPictureToggled(bool checked) { SetPictureShown(checked); }
  void OnGhostToggled(bool checked) { SetGhostShown(checked); }

  CRSWeakRef<CRSCanvasItem> m_floor;
  std::shared_ptr<Gdiplus::Bitmap> m_picture;
  CRSWeakRef<CRSCanvasImage> m_ghost;
  CRSWeakRef<CRSCanvasItem> m_preview;  // a control window
  CRSWeakRef<CRSControlButton> m_pictureButton;
  CRSWeakRef<CRSControlButton> m_ghostButton;
};
