// A puzzle entry of the library: its fields, its thumbnail and its
// "puzzle-image" element. The item that shows it is built in
// library_items.cpp.

#include "data/puzzle_image_data.h"

#include <algorithm>
#include <cmath>

#include "data/base64.h"
#include "data/embed.h"
#include "data/library_input.h"
#include "data/puzzle_data.h"
#include "data/xml_text.h"
#include "data/xml_writer.h"
#include "platform/image_codec.h"
#include "platform/image_helpers.h"

CPuzzleImageData::CPuzzleImageData(const Gdiplus::Bitmap* picture, const std::string& name) {
  if (!picture) return;
  m_selected = true;
  m_name = name;
  m_title = name;
  SetThumbnailFromPicture(*picture);
}

CPuzzleImageData::~CPuzzleImageData() {
  // The thumbnail shows this entry and nothing else: it leaves the floor
  // with it.
  if (CRSCanvasItem* item = m_item.get()) item->DeleteLater();
}

std::unique_ptr<Gdiplus::Bitmap> CPuzzleImageData::MakeThumbnail(const Gdiplus::Bitmap& picture) {
  if (!picture.IsValid() || picture.GetWidth() <= 0 || picture.GetHeight() <= 0) return nullptr;
  const int box = GetThumbnailBoxSide(picture.GetWidth());
  return platform::ScaledCopy(picture, box, box, PixelFormat::Format32bppARGB, true);
}

bool CPuzzleImageData::SetThumbnailFromPicture(const Gdiplus::Bitmap& picture) {
  m_thumbnail.reset();
  m_thumbnailAhead = {};
  m_thumbnailSize = Size();
  m_thumbnailText.clear();
  m_decoded = true;
  std::unique_ptr<Gdiplus::Bitmap> thumbnail = MakeThumbnail(picture);
  if (!thumbnail) return false;
  m_thumbnailText = EncodeImageBase64(*thumbnail, kMimeJpeg);
  if (m_thumbnailText.empty()) return false;
  m_thumbnail = std::move(thumbnail);
  m_thumbnailSize = Size(m_thumbnail->GetWidth(), m_thumbnail->GetHeight());
  return true;
}

bool CPuzzleImageData::SetThumbnailText(std::string text) {
  m_thumbnailText = std::move(text);
  m_thumbnail.reset();
  m_thumbnailAhead = {};
  m_thumbnailSize = Size();
  m_decoded = false;
  DecodeThumbnail();
  return HasThumbnail();
}

void CPuzzleImageData::DecodeThumbnail() {
  if (m_decoded) return;
  m_decoded = true;
  m_thumbnail = m_thumbnailAhead.valid() ? m_thumbnailAhead.get()
                                         : library_input::DecodePicture(m_thumbnailText, kMaxThumbnailSide);
  // A text whose header promised more than its pixels hold leaves the
  // entry without a thumbnail, as if it had never promised one.
  m_thumbnailSize = m_thumbnail ? Size(m_thumbnail->GetWidth(), m_thumbnail->GetHeight()) : Size();
}

std::function<void()> CPuzzleImageData::DecodeThumbnailAhead() {
  if (m_decoded || m_thumbnailAhead.valid() || m_thumbnailText.empty()) return nullptr;
  // The task owns a copy of the text and its result, so the entry may
  // change or go while it runs.
  auto task = std::make_shared<std::packaged_task<std::shared_ptr<Gdiplus::Bitmap>()>>(
      [text = m_thumbnailText] { return library_input::DecodePicture(text, kMaxThumbnailSide); });
  m_thumbnailAhead = task->get_future();
  return [task] { (*task)(); };
}

void CPuzzleImageData::ProbeThumbnail() {
  if (m_decoded) return;
  m_thumbnailSize = library_input::ProbePicture(m_thumbnailText, kMaxThumbnailSide);
}

bool CPuzzleImageData::IsThumbnailOpaque() const {
  // A JPEG has no alpha; its Base64 text starts with the encoded marker
  // FF D8 FF. Any other format may have, and is judged once decoded.
  if (!m_decoded) return HasThumbnail() && m_thumbnailText.starts_with("/9j/");
  return m_thumbnail && m_thumbnail->GetPixelFormat() == PixelFormat::Format24bppRGB;
}

const std::shared_ptr<Gdiplus::Bitmap>& CPuzzleImageData::GetThumbnail() {
  DecodeThumbnail();
  return m_thumbnail;
}

bool CPuzzleImageData::IsSound() const {
  return HasThumbnail() && !m_textTooLong;
}

void CPuzzleImageData::OnElement(const std::string& rawName, const CRSXMLParser::Attributes&,
                                 const std::string& text) {
  const std::string name = xmltext::ToLower(rawName);
  CRSXMLParser* parser = GetParser();
  if (name == "name") {
    m_textTooLong |= !library_input::ReadFreeText(text, kMaxTextBytes, m_name);
  } else if (name == "title") {
    m_textTooLong |= !library_input::ReadFreeText(text, kMaxTextBytes, m_title);
  } else if (name == "category") {
    m_textTooLong |= !library_input::ReadFreeText(text, kMaxTextBytes, m_category);
  } else if (name == "percent-completed") {
    int value = 0;
    // Progress outside 0 to 100 is not progress; the nearest that is.
    m_percentCompleted = xmltext::ParseInt(text, value) ? std::clamp(value, 0, 100) : 0;
  } else if (name == "number-of-pieces") {
    int value = 0;
    m_numberOfPieces = xmltext::ParseInt(text, value) ? std::max(value, 0) : 0;
  } else if (name == "surprise") {
    m_surprise = true;
  } else if (name == "cant-be-gift") {
    m_canBeGift = false;
  } else if (name == "selected") {
    m_selected = true;
  } else if (name == "scattered") {
    m_scattered = true;
  } else if (name == CRSXMLPointF::kTag) {
    m_positionValid = true;
    if (parser) parser->PushHandler(&m_position);
  } else if (name == CRSXMLSize::kTag) {
    if (parser) parser->PushHandler(&m_size);
  } else if (name == "img-data") {
    m_thumbnailText = library_input::PictureText(text);
    m_thumbnail.reset();
    m_thumbnailAhead = {};
    m_thumbnailSize = Size();
    m_decoded = false;
    if (!m_deferDecoding) DecodeThumbnail();
  }
}

void CPuzzleImageData::OnDone() {
  // A position that is no place on any floor is forgotten, so that the
  // entry is placed afresh rather than thrown out of sight.
  if (m_positionValid && !library_input::IsSanePoint(m_position)) {
    m_positionValid = false;
    m_position = PointF();
  }
  if (m_deferDecoding) return;
  if (!IsSound()) DeleteLater();
}

void CPuzzleImageData::Write(CRSXMLWriter& out) {
  if (!HasThumbnail()) return;
  out.StartTag(kTag);
  out.LeafText("name", m_name);
  out.LeafText("title", m_title);
  if (!m_category.empty()) out.LeafText("category", m_category);
  out.LeafInt("percent-completed", m_percentCompleted);
  out.LeafInt("number-of-pieces", m_numberOfPieces);
  out.Flag("surprise", m_surprise);
  out.Flag("cant-be-gift", !m_canBeGift);
  out.Flag("selected", m_selected);
  out.Flag("scattered", m_scattered);
  if (m_positionValid) m_position.Write(out, CRSXMLPointF::kTag);
  m_size.Write(out, CRSXMLSize::kTag);
  out.Leaf("img-data", m_thumbnailText);
  out.EndTag(kTag);
}

void CPuzzleImageData::SetPosition(const PointF& position) {
  m_position = position;
  m_positionValid = true;
}

void CPuzzleImageData::SetPercentCompleted(std::int32_t percent) {
  if (percent == m_percentCompleted) return;
  m_percentCompleted = percent;
  UpdatePercentText();
}

void CPuzzleImageData::SetNumberOfPieces(std::int32_t count) { m_numberOfPieces = count; }

std::string CPuzzleImageData::PercentText(std::int32_t percent) {
  return percent > 0 ? std::to_string(percent) + "%" : std::string();
}

void CPuzzleImageData::DeleteWithFile() {
  if (!m_name.empty() && HasThumbnail()) DeletePuzzleFile(m_name);
  DeleteLater();
}
