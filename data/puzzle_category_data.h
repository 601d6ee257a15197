#pragma once
// CPuzzleCategoryData: one category of the library, a titled picture that
// groups puzzle entries by title, with the "puzzle-category" element it is
// kept as and the folder item that shows it.
//
// Ownership: the library's list owns its categories. A category knows its
// folder, its window and that window's list view only weakly (they belong
// to the room that shows them); the folder leaves the floor with the
// category.

#include <memory>
#include <string>

#include "canvas/object.h"
#include "canvas/weak_ref.h"
#include "data/xml.h"
#include "data/xml_values.h"
#include "platform/bitmap.h"

class CRSCanvasItem;
class CRSXMLWriter;

class CPuzzleCategoryData : public CRSObject, public CRSXMLParser::XHandler {
 public:
  static constexpr const char* kTag = "puzzle-category";
  // Titles longer than this are not titles anyone gave a category.
  static constexpr std::size_t kMaxTitleBytes = 4096;
  // Category pictures larger than this on a side are refused when read.
  static constexpr int kMaxPictureSide = 4096;

  // Hangs on the folder item so that a room can find the category from it.
  // Reads null once the category is gone.
  class PuzzleCategoryUserData : public CRSObject::UserData {
   public:
    explicit PuzzleCategoryUserData(CPuzzleCategoryData* data) : m_data(data) {}
    CPuzzleCategoryData* GetData() const { return m_data.get(); }

   private:
    CRSWeakRef<CPuzzleCategoryData> m_data;
  };

  // The title and, when given, the picture (encoded as PNG at once).
  explicit CPuzzleCategoryData(const std::string& title = {}, std::shared_ptr<Gdiplus::Bitmap> picture = nullptr);
  ~CPuzzleCategoryData() override;

  // A null picture changes nothing. Otherwise stores it, keeps its PNG bytes
  // as Base64 and refreshes the folder.
  void SetPicture(std::shared_ptr<Gdiplus::Bitmap> picture);
  // Stores a different title and refreshes the folder.
  void SetTitle(const std::string& title);
  void SetSelected(bool selected);

  // --- the element -----------------------------------------------------------
  void OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                 const std::string& text) override;
  // A category left without a picture deletes itself (later).
  void OnDone() override;
  // The whole element; nothing for a category without a picture.
  void Write(CRSXMLWriter& out) override;
  // A picture, and a title of sane length.
  bool IsSound() const { return HasPicture() && !m_titleTooLong; }
  // As for puzzle entries: while a whole library is read, pictures are
  // decoded after the parse and judged then.
  void SetDeferPictureDecoding(bool defer) { m_deferDecoding = defer; }
  void DecodePicture();

  const std::string& GetTitle() const { return m_title; }
  bool IsSelected() const { return m_selected; }
  bool IsPositionValid() const { return m_positionValid; }
  const PointF& GetPosition() const { return m_position; }
  void SetPosition(const PointF& position);
  const std::string& GetPictureText() const { return m_pictureText; }
  const std::shared_ptr<Gdiplus::Bitmap>& GetPicture() const { return m_picture; }
  bool HasPicture() const { return m_picture != nullptr; }

  // --- items -----------------------------------------------------------------
  // The folder item, made on first use with drag and raise behaviours; null
  // without a picture.
  CRSCanvasItem* GetItem();
  CRSCanvasItem* PeekItem() const;
  // A further folder without drag or raise (for rooms that lay folders out
  // themselves); owned by the caller. Null without a picture.
  CRSCanvasItem* CreateFolder();
  // Replaces the number shown at the folder's upper right corner.
  void SetNumber(int count);
  void PlaceRandomlyOnce();

  // The category's window and its list view, kept for the rooms; weak.
  CRSObject* GetWindow() const { return m_window.get(); }
  void SetWindow(CRSObject* window) { m_window.Assign(window); }
  CRSObject* GetListView() const { return m_listView.get(); }
  void SetListView(CRSObject* listView) { m_listView.Assign(listView); }

 private:
  CRSCanvasItem* BuildFolder();
  void LayoutFolder(CRSCanvasItem& folder);
  void RefreshFolders();
  void OnItemGeometryChanged(CRSCanvasItem* item);

  std::string m_title;
  bool m_selected = false;
  bool m_positionValid = false;
  CRSXMLPointF m_position;
  std::string m_pictureText;
  std::shared_ptr<Gdiplus::Bitmap> m_picture;
  CRSWeakRef<CRSCanvasItem> m_item;
  CRSWeakRef<CRSObject> m_window;
  CRSWeakRef<CRSObject> m_listView;
  std::vector<CRSWeakRef<CRSCanvasItem>> m_folders;
  int m_number = 0;
  bool m_titleTooLong = false;
  bool m_deferDecoding = false;
  bool m_decoded = true;
};
