#pragma once
// CPuzzleImageData: one puzzle entry of the library, the summary of one
// puzzle file (name, title, category, progress, flags, place on the floor
// and a small thumbnail), with the "puzzle-image" element it is kept as and
// the thumbnail item that shows it on the floor.
//
// Ownership: the library's list owns its entries. An entry knows its item
// only weakly (the item belongs to the room that shows it) and deletes that
// item when the entry itself goes, so a deleted puzzle leaves the floor.

#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <string>

#include "canvas/object.h"
#include "canvas/weak_ref.h"
#include "data/xml.h"
#include "data/xml_values.h"
#include "platform/bitmap.h"

class CRSCanvasItem;
class CRSCanvasShapeText;
class CRSXMLWriter;

class CPuzzleImageData : public CRSObject, public CRSXMLParser::XHandler {
 public:
  static constexpr const char* kTag = "puzzle-image";
  // Names, titles and category titles longer than this are not names a
  // player typed: an entry holding one is not kept.
  static constexpr std::size_t kMaxTextBytes = 4096;
  // A thumbnail is at most 889 pixels on a side (the box for the widest
  // picture); anything much larger is not a thumbnail this program made.
  static constexpr int kMaxThumbnailSide = 1024;

  // Hangs on the thumbnail item so that a room can find the entry from it.
  // Reads null once the entry is gone.
  class PuzzleImageUserData : public CRSObject::UserData {
   public:
    explicit PuzzleImageUserData(CPuzzleImageData* data) : m_data(data) {}
    CPuzzleImageData* GetData() const { return m_data.get(); }

   private:
    CRSWeakRef<CPuzzleImageData> m_data;
  };

  // Without a picture: an empty entry, to be filled by reading. With one:
  // a selected entry whose thumbnail is made from the picture and whose
  // name and title are both the given name.
  explicit CPuzzleImageData(const Gdiplus::Bitmap* picture = nullptr, const std::string& name = {});
  ~CPuzzleImageData() override;

  // The side of the square a picture of this width is shrunk into.
  static int GetThumbnailBoxSide(int pictureWidth) { return pictureWidth / 40 + 70; }
  // The thumbnail of a picture: scaled into the box with its aspect kept,
  // 32-bit ARGB. Null for an invalid picture.
  static std::unique_ptr<Gdiplus::Bitmap> MakeThumbnail(const Gdiplus::Bitmap& picture);

  // Replaces the thumbnail with one made from the picture (and its text
  // with the thumbnail's JPEG bytes). False when that fails; the entry then
  // has no thumbnail.
  bool SetThumbnailFromPicture(const Gdiplus::Bitmap& picture);
  // Keeps the Base64 text and decodes it; false (no thumbnail) when it is
  // not a picture or not one of a thumbnail's size.
  bool SetThumbnailText(std::string text);

  // --- the element -----------------------------------------------------------
  void OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                 const std::string& text) override;
  // An entry left without a thumbnail deletes itself (later, as it may be
  // on the parser's stack); see SetDeferThumbnailDecoding.
  void OnDone() override;
  // The whole element; nothing at all for an entry without a thumbnail.
  void Write(CRSXMLWriter& out) override;
  // Whether the entry is one the library keeps: a thumbnail, and a name
  // and texts of sane length. Entries that fail are dropped when read.
  bool IsSound() const;
  // False when the entry can never be sound, whatever its thumbnail text
  // decodes to: no thumbnail text at all, or absurd texts.
  bool MayBeSound() const { return !m_thumbnailText.empty() && !m_textTooLong; }
  // While reading a whole library the thumbnails are decoded after the
  // parse (several at once); this keeps OnDone from judging the entry
  // before then, and keeps the text undecoded until DecodeThumbnail.
  void SetDeferThumbnailDecoding(bool defer) { m_deferDecoding = defer; }
  // Decodes the kept text now (a no-op when already decoded); safe to call
  // for different entries on different threads.
  void DecodeThumbnail();
  // Starts decoding the kept text on the background decoder
  // (library_decode::RunInBackground) and returns the task that does it;
  // the next DecodeThumbnail takes its picture, waiting for it if need be.
  // Null when there is nothing to decode.
  std::function<void()> DecodeThumbnailAhead();
  // Decodes, ahead of the frame that shows them, the thumbnails on floor
  // that lie in its rectangle and under no other thumbnail: the first at
  // once, the rest on the background decoder in the order they are painted,
  // so the paint finds them decoded or nearly so.
  static void DecodeThumbnailsInSight(CRSCanvasItem& floor);
  // Reads only the header of the kept text: the entry then counts as
  // having the thumbnail the header declares, and decodes it the first time
  // it is wanted (GetThumbnail, or its item painted). A thumbnail that is
  // not on screen costs nothing at start. Safe to call for different
  // entries on different threads.
  void ProbeThumbnail();

  // --- fields ----------------------------------------------------------------
  const std::string& GetName() const { return m_name; }
  void SetName(const std::string& name) { m_name = name; }
  const std::string& GetTitle() const { return m_title; }
  void SetTitle(const std::string& title) { m_title = title; }
  const std::string& GetCategory() const { return m_category; }
  void SetCategory(const std::string& category) { m_category = category; }
  std::int32_t GetPercentCompleted() const { return m_percentCompleted; }
  // Also refreshes the percent text of an existing item.
  void SetPercentCompleted(std::int32_t percent);
  std::int32_t GetNumberOfPieces() const { return m_numberOfPieces; }
  void SetNumberOfPieces(std::int32_t count);
  bool IsSelected() const { return m_selected; }
  // Stores the flag and passes it to the item's highlight.
  void SetSelected(bool selected);
  bool IsSurprise() const { return m_surprise; }
  void SetSurprise(bool surprise) { m_surprise = surprise; }
  bool CanBeGift() const { return m_canBeGift; }
  void SetCanBeGift(bool can) { m_canBeGift = can; }
  bool IsPositionValid() const { return m_positionValid; }
  bool IsScattered() const { return m_scattered; }
  void SetScattered(bool scattered) { m_scattered = scattered; }
  const PointF& GetPosition() const { return m_position; }
  // Stores the position and marks it valid.
  void SetPosition(const PointF& position);
  const Size& GetSize() const { return m_size; }
  void SetSize(const Size& size) { m_size.Width = size.Width, m_size.Height = size.Height; }
  const std::string& GetThumbnailText() const { return m_thumbnailText; }
  // The thumbnail, decoded now if it was only probed.
  const std::shared_ptr<Gdiplus::Bitmap>& GetThumbnail();
  // The thumbnail's size, known without decoding it; empty without one.
  Size GetThumbnailSize() const { return m_thumbnailSize; }
  bool HasThumbnail() const { return m_thumbnailSize.Width > 0; }
  // True when the thumbnail covers its rectangle: a decoded picture
  // without alpha, or one only probed whose text is a JPEG.
  bool IsThumbnailOpaque() const;

  // --- the item ----------------------------------------------------------------
  // The thumbnail item, made on first use; null without a thumbnail.
  CRSCanvasItem* GetItem();
  // The item if it exists now, without making one.
  CRSCanvasItem* PeekItem() const;
  // Gives a new item one random place in its parent, once in the entry's
  // life: afterwards the position is valid and kept.
  void PlaceRandomlyOnce();
  // Deletes the puzzle file of this entry (when it has a name and a
  // thumbnail), then the entry itself (later).
  void DeleteWithFile();

  // The text of the percent label: the number and "%" above 0, else empty.
  static std::string PercentText(std::int32_t percent);

 private:
  CRSCanvasItem* BuildItem();
  void OnItemGeometryChanged(CRSCanvasItem* item);
  void UpdatePercentText();

  std::string m_name;
  std::string m_title;
  std::string m_category;
  std::int32_t m_percentCompleted = 0;
  std::int32_t m_numberOfPieces = 0;
  bool m_selected = false;
  bool m_surprise = false;
  bool m_canBeGift = true;
  bool m_positionValid = false;
  bool m_scattered = false;
  CRSXMLPointF m_position;
  std::string m_thumbnailText;
  std::shared_ptr<Gdiplus::Bitmap> m_thumbnail;
  // The picture being decoded ahead from the text as it was then; dropped
  // with any change of the text.
  std::future<std::shared_ptr<Gdiplus::Bitmap>> m_thumbnailAhead;
  // The decoded thumbnail's size, or the size its text declares while it
  // is only probed.
  Size m_thumbnailSize;
  CRSWeakRef<CRSCanvasItem> m_item;
  CRSWeakRef<CRSCanvasShapeText> m_percentItem;
  CRSXMLSize m_size;
  bool m_textTooLong = false;
  bool m_deferDecoding = false;
  bool m_decoded = true;
};
