// A category of the library: its fields, its picture and its
// "puzzle-category" element. The folder items are built in
// library_items.cpp.

#include "data/puzzle_category_data.h"

#include "canvas/controls.h"
#include "canvas/items.h"
#include "data/embed.h"
#include "data/library_input.h"
#include "data/xml_text.h"
#include "data/xml_writer.h"

CPuzzleCategoryData::CPuzzleCategoryData(const std::string& title, std::shared_ptr<Gdiplus::Bitmap> picture)
    : m_title(title) {
  SetPicture(std::move(picture));
}

CPuzzleCategoryData::~CPuzzleCategoryData() {
  if (CRSCanvasItem* item = m_item.get()) item->DeleteLater();
}

void CPuzzleCategoryData::SetPicture(std::shared_ptr<Gdiplus::Bitmap> picture) {
  if (!picture) return;
  m_picture = std::move(picture);
  m_pictureText = EncodeImageBase64(*m_picture, kMimePng);
  m_decoded = true;
  RefreshFolders();
}

void CPuzzleCategoryData::SetTitle(const std::string& title) {
  if (title == m_title) return;
  m_title = title;
  RefreshFolders();
  // An open category window carries the title in its caption.
  if (auto* window = dynamic_cast<CRSControlWindow*>(m_window.get())) window->SetCaption("Category: " + m_title);
}

void CPuzzleCategoryData::SetPosition(const PointF& position) {
  m_position = position;
  m_positionValid = true;
}

void CPuzzleCategoryData::DecodePicture() {
  if (m_decoded) return;
  m_decoded = true;
  m_picture = library_input::DecodePicture(m_pictureText, kMaxPictureSide);
}

void CPuzzleCategoryData::OnElement(const std::string& rawName, const CRSXMLParser::Attributes&,
                                    const std::string& text) {
  const std::string name = xmltext::ToLower(rawName);
  if (name == "title") {
    m_titleTooLong = !library_input::ReadFreeText(text, kMaxTitleBytes, m_title);
  } else if (name == "selected") {
    m_selected = true;
  } else if (name == CRSXMLPointF::kTag) {
    m_positionValid = true;
    if (CRSXMLParser* parser = GetParser()) parser->PushHandler(&m_position);
  } else if (name == "img-data") {
    m_pictureText = library_input::PictureText(text);
    m_picture.reset();
    m_decoded = false;
    if (!m_deferDecoding) DecodePicture();
  }
}

void CPuzzleCategoryData::OnDone() {
  if (m_positionValid && !library_input::IsSanePoint(m_position)) {
    m_positionValid = false;
    m_position = PointF();
  }
  if (m_deferDecoding) return;
  if (!IsSound()) DeleteLater();
}

void CPuzzleCategoryData::Write(CRSXMLWriter& out) {
  if (!HasPicture()) return;
  out.StartTag(kTag);
  out.LeafText("title", m_title);
  out.Flag("selected", m_selected);
  if (m_positionValid) m_position.Write(out, CRSXMLPointF::kTag);
  out.Leaf("img-data", m_pictureText);
  out.EndTag(kTag);
}
