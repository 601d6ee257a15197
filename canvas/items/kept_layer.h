#pragma once
// CRSKeptLayer: a container that keeps a device picture of what its children
// paint.
//
// A table of thousands of pieces costs microseconds a piece and a shadow to
// paint, and what it shows changes far less often than the window repaints
// over it (a piece dragged above it, the clock, the view moved). The layer
// keeps what its children painted as one picture of the device area it
// covers, under the transform it was painted with, and repaints into it only
// where something below it asked for a repaint. Moved by whole device pixels
// (a pan), the picture scrolls and only the strips that came into view are
// painted. A change of scale paints everything again, unless the layer was
// told to scale softly (the wheel turning): then the picture is drawn scaled,
// with what came into view at its edges painted sharp, and once the changes
// of scale rest for the time given, all of it is painted sharp again.
//
// The layer asks for its repaints as one area (what it shows is clipped to
// its rectangle anyway), instead of asking each of thousands of children.
// Only a paint of the whole tree onto a device with its caches goes through
// the picture; any other paint (into a picture of its own) paints the
// children directly.

#include <memory>
#include <vector>

#include "canvas/items.h"
#include "canvas/weak_ref.h"

class CRSKeptLayer : public CRSCanvasItem {
 public:
  // Larger device areas are painted directly.
  static constexpr float kMaxPicturePixels = 3840.0f * 2160.0f;
  static constexpr int kSharpenTimer = 0x4B4C;
  static constexpr int kSharpenBandRows = 270;

  CRSKeptLayer(CRSCanvasItem* parent, const char* name, bool keepsPicture);
  ~CRSKeptLayer() override;

  void Paint(Gdiplus::Graphics& g, int maxZ, bool useCache) override;
  // One area for the whole layer; the picture is painted again whole.
  void Invalidate() override;
  // Asks for the repaint after the layer's own transform changed: the
  // picture follows the transform by itself.
  void InvalidateTransform();

  // Changes of scale within `restMs` of one another draw the picture scaled;
  // `restMs` after the last one everything is painted sharp again.
  void ScaleSoftlyFor(unsigned restMs);
  // Ends soft scaling now: a picture drawn scaled is painted sharp again,
  // a band of kSharpenBandRows rows a frame from the top, so that the
  // frames in between stay as quick as the soft ones and the wheel can turn
  // again meanwhile.
  void Sharpen();
  bool HasPicture() const { return m_picture != nullptr; }
  // Whether the picture shows something drawn scaled.
  bool IsSoft() const { return m_soft; }

  void OnTimer(int id, unsigned elapsedMs) override;

 protected:
  void OnDescendantChanged() override;

 private:
  void OnRootInvalidate(CRSCanvasItem* item, const RectF& rect);
  void ConnectToRoot();
  void AddDirty(const Rect& rect);
  void MarkAllDirty();
  // Moves the picture's pixels by whole pixels into `area`.
  void Scroll(const Rect& area, int dx, int dy);
  // Remakes the picture for `world` and `area` from a picture scaled: the
  // last sharp one while it covers the area, so that steps in a row are
  // not filtered again and again, else the last one.
  void Rescale(const Gdiplus::Matrix& world, const Rect& area);
  // A picture buffer of that size, the spare one when it fits.
  std::unique_ptr<Gdiplus::Bitmap> TakeBuffer(int width, int height);
  void DropBase();
  // Takes the next band of soft rows into the parts to paint, and asks for
  // the frame of the band after it.
  void SharpenBand();
  // Paints the dirty parts of the picture from the children.
  void PaintDirty(const Gdiplus::Graphics& like, int maxZ);

  bool m_keepsPicture;
  bool m_transformOnly = false;
  bool m_scaleSoftly = false;
  bool m_soft = false;
  // While sharpening, the rows from this one down are still soft.
  bool m_sharpening = false;
  int m_softFromRow = 0;
  CRSWeakRef<CRSCanvasItem> m_root;
  std::unique_ptr<Gdiplus::Bitmap> m_picture;
  // The world transform the picture was painted under, and the device
  // rectangle it covers.
  Gdiplus::Matrix m_world;
  Rect m_area;
  // The last sharp picture while the picture is soft, and its place.
  std::unique_ptr<Gdiplus::Bitmap> m_base;
  Gdiplus::Matrix m_baseWorld;
  Rect m_baseArea;
  // A buffer no longer shown, kept for the next one of its size.
  std::unique_ptr<Gdiplus::Bitmap> m_spare;
  // What of the picture must be painted again, in its own pixels.
  std::vector<Rect> m_dirty;
};
