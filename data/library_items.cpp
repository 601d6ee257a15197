// The canvas items that show the library's records: the thumbnail of a
// puzzle entry and the folder of a category. Records build them on demand
// and know them only weakly; the rooms own and place them. An item finds
// its record again through its user data, and its moves are copied back
// into the record so the floor looks the same next time.

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "canvas/behaviours.h"
#include "canvas/items.h"
#include "data/library_decode.h"
#include "data/puzzle_category_data.h"
#include "data/puzzle_image_data.h"
#include "platform/brush.h"
#include "platform/covered_area.h"
#include "platform/graphics_path.h"
#include "platform/display_scale.h"
#include "platform/image_helpers.h"
#include "platform/pen.h"
#include "platform/random.h"
#include "play/piece_scatter.h"

namespace {

constexpr ARGB kWhite = 0xFFFFFFFF;
constexpr ARGB kSurpriseShade = 0xAA000000;
constexpr ARGB kSurpriseYellow = 0xFFFFFF00;
constexpr ARGB kSurpriseRed = 0xFFFF0000;
constexpr ARGB kDarkOutline = 0x88000000;
constexpr ARGB kOrangeOutline = 0x88FFA500;
// The small question marks of a surprise, besides the big one.
constexpr int kSmallQuestionMarks = 8;
// How far the percent text sits in from the thumbnail's lower right corner.
constexpr float kPercentInset = 6.0f;
// The surprise overlay covers the picture, so it is painted above it.
constexpr int kOverlayZOrder = CRSCanvasItem::kZOrderDefault + 1;

CRSCanvasShapeText* MakeText(CRSCanvasItem* parent, const std::string& name, const std::string& text,
                             const char* family, float size, ARGB fill, ARGB outline) {
  auto* shape = new CRSCanvasShapeText(PointF(), parent, name);
  shape->SetFont(family, size, Gdiplus::FontStyleBold);
  shape->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(fill)));
  shape->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(outline), 1.0f));
  shape->SetText(text);
  return shape;
}

// The folder icon at a third above its own size; decoded once.
std::shared_ptr<Gdiplus::Bitmap> FolderPicture() {
  static const std::shared_ptr<Gdiplus::Bitmap> picture = []() -> std::shared_ptr<Gdiplus::Bitmap> {
    std::unique_ptr<Gdiplus::Bitmap> icon =
        platform::LoadImageFromResource("IMG", "IMG_CATEGORY_FOLDER", platform::GetDisplayScale());
    if (!icon) return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> larger = platform::ScaledCopy(
        *icon, icon->GetWidth() * 4 / 3, icon->GetHeight() * 4 / 3, PixelFormat::Format32bppARGB, true);
    if (larger) larger->SetResolution(icon->GetHorizontalResolution(), icon->GetVerticalResolution());
    return std::shared_ptr<Gdiplus::Bitmap>(std::move(larger));
  }();
  return picture;
}

void MakeSurpriseOverlay(CRSCanvasItem* group, float w, float h) {
  auto path = std::make_unique<Gdiplus::GraphicsPath>();
  path->AddRectangle(RectF(0.0f, 0.0f, w, h));
  auto* shade = new CRSCanvasShape(PointF(), group, "shapeSurprise", std::move(path));
  shade->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(kSurpriseShade)));
  shade->SetZOrder(kOverlayZOrder);

  const float side = std::min(w, h);
  CRSCanvasShapeText* big = MakeText(group, "textSurprise", "?", "Times New Roman", side, kSurpriseYellow,
                                     kSurpriseYellow);
  big->SetZOrder(kOverlayZOrder);
  new CBehaviourAlign(big, CBehaviourAlign::kCentre);
  // Alignment inside a group is left to the group's owner, so the mark is
  // centred here.
  big->MoveTopLeftTo(PointF((w - big->GetSize().Width) / 2.0f, (h - big->GetSize().Height) / 2.0f));

  for (int i = 0; i < kSmallQuestionMarks; ++i) {
    CRSCanvasShapeText* mark = MakeText(group, "textSurprise", "?", "Times New Roman", side / 3.0f, kSurpriseRed,
                                        kSurpriseRed);
    mark->SetZOrder(kOverlayZOrder);
    mark->SetRotation(static_cast<float>(platform::Rand() % 360));
    new CBehaviourAlign(mark, CBehaviourAlign::kKeepInside);
    PlaceRandomly(mark);
  }
}

// The picture of a thumbnail whose entry was only probed when the library
// was read (a puzzle that starts out of sight, in a category's window or
// in the gallery): it is decoded the first time it is painted, so the first
// frame does not wait for what it does not show. Nothing of the item
// changes when it is decoded (its size is the declared one), so a paint
// under way is not disturbed. A thumbnail is a JPEG, opaque throughout:
// the whole rectangle takes the pointer.
class CThumbnailImage : public CRSCanvasItem {
 public:
  CThumbnailImage(CRSCanvasItem* parent, CPuzzleImageData& entry, const SizeF& size)
      : CRSCanvasItem(PointF(), parent, "imgThumbNail"), m_entry(&entry) {
    SetDrawsItself(true);
    SetSize(size);
  }

  void PaintContent(Gdiplus::Graphics& g, bool) override {
    CPuzzleImageData* entry = m_entry.get();
    const std::shared_ptr<Gdiplus::Bitmap>& picture = entry ? entry->GetThumbnail() : s_none;
    if (!picture) return;
    g.DrawImage(picture.get(), RectF(0.0f, 0.0f, GetSize().Width, GetSize().Height), 0.0f, 0.0f,
                static_cast<float>(picture->GetWidth()), static_cast<float>(picture->GetHeight()),
                Gdiplus::UnitPixel);
  }
  bool ContainsPoint(const PointF& local) override { return GetLocalRect().Contains(local); }
  CPuzzleImageData* GetEntry() const { return m_entry.get(); }
  // Opaque before it is decoded too, so that a thumbnail under others is
  // never decoded; one whose text failed to decode shows nothing.
  bool PaintsOpaque() const override {
    const CPuzzleImageData* entry = m_entry.get();
    return entry && entry->IsThumbnailOpaque();
  }

 private:
  static inline const std::shared_ptr<Gdiplus::Bitmap> s_none;
  CRSWeakRef<CPuzzleImageData> m_entry;
};

// The thumbnails below item, in the order they are painted, with their
// rectangles on floor.
void CollectThumbnails(CRSCanvasItem& floor, CRSCanvasItem& item,
                       std::vector<std::pair<CThumbnailImage*, RectF>>& out) {
  for (CRSCanvasItem* child : item.GetChildItems()) {
    if (!child->IsVisible()) continue;
    if (auto* thumbnail = dynamic_cast<CThumbnailImage*>(child))
      out.emplace_back(thumbnail, Gdiplus::TransformedBounds(child->GetTransformTo(&floor), child->GetLocalRect()));
    else
      CollectThumbnails(floor, *child, out);
  }
}

}  // namespace

void CPuzzleImageData::DecodeThumbnailsInSight(CRSCanvasItem& floor) {
  std::vector<std::pair<CThumbnailImage*, RectF>> thumbnails;
  CollectThumbnails(floor, floor, thumbnails);
  const RectF view(PointF(), floor.GetSize());
  // From the top down: a thumbnail wholly under opaque ones above it is
  // never painted.
  platform::CoveredArea covered;
  std::vector<CPuzzleImageData*> inSight;
  for (auto it = thumbnails.rbegin(); it != thumbnails.rend(); ++it) {
    RectF seen;
    if (!RectF::Intersect(seen, it->second, view) || covered.Covers(seen)) continue;
    if (CPuzzleImageData* entry = it->first->GetEntry()) inSight.push_back(entry);
    if (it->first->PaintsOpaque()) covered.Add(it->second);
  }
  std::vector<library_decode::Task> tasks;
  bool decoderReady = false;
  for (auto it = inSight.rbegin(); it != inSight.rend(); ++it) {
    CPuzzleImageData& entry = **it;
    if (entry.m_decoded) continue;
    if (!decoderReady) {
      // Whatever decoder the pictures need is set up on this thread.
      entry.DecodeThumbnail();
      decoderReady = true;
    } else if (std::function<void()> task = entry.DecodeThumbnailAhead()) {
      tasks.push_back(std::move(task));
    }
  }
  library_decode::RunInBackground(std::move(tasks));
}

// ---- puzzle entries ---------------------------------------------------------

CRSCanvasItem* CPuzzleImageData::GetItem() {
  if (CRSCanvasItem* item = m_item.get()) return item;
  if (!HasThumbnail()) return nullptr;
  return BuildItem();
}

CRSCanvasItem* CPuzzleImageData::PeekItem() const { return m_item.get(); }

CRSCanvasItem* CPuzzleImageData::BuildItem() {
  const float w = static_cast<float>(m_thumbnailSize.Width);
  const float h = static_cast<float>(m_thumbnailSize.Height);
  auto* group = new CRSCanvasGroup(m_position, nullptr, m_name);
  // The group's own size is the thumbnail's: the room its surprise marks
  // are scattered in.
  group->SetSize(SizeF(w, h));
  group->SetUserData(std::make_unique<PuzzleImageUserData>(this));

  if (m_surprise) MakeSurpriseOverlay(group, w, h);
  if (m_thumbnail)
    new CRSCanvasImage(PointF(), group, "imgThumbNail", m_thumbnail);
  else
    new CThumbnailImage(group, *this, SizeF(w, h));

  CRSCanvasShapeText* percent =
      MakeText(group, "textShapePercent", PercentText(m_percentCompleted), "Arial", 20.0f, kWhite, kDarkOutline);
  m_percentItem.Assign(percent);
  UpdatePercentText();

  CRSCanvasShapeText* pieces =
      MakeText(group, "textShapePieces", std::to_string(m_numberOfPieces), "Arial", 17.0f, kWhite, kOrangeOutline);
  pieces->MoveTopLeftTo(PointF(-4.0f, -4.0f));

  new CBehaviourAlign(group, CBehaviourAlign::kKeepInside);
  new CBehaviourDrag(group);
  new CBehaviourRaiseable(group);
  auto* highlight = new CBehaviourHighlight(group);
  highlight->SetOn(m_selected);
  group->sigGeometryChanged.connect(this, &CPuzzleImageData::OnItemGeometryChanged);
  m_item.Assign(group);
  return group;
}

void CPuzzleImageData::UpdatePercentText() {
  CRSCanvasShapeText* percent = m_percentItem.get();
  if (!percent || !HasThumbnail()) return;
  percent->SetText(PercentText(m_percentCompleted));
  const float w = static_cast<float>(m_thumbnailSize.Width);
  const float h = static_cast<float>(m_thumbnailSize.Height);
  const SizeF size = percent->GetSize();
  percent->MoveTopLeftTo(PointF(w - kPercentInset - size.Width, h - kPercentInset - size.Height));
}

void CPuzzleImageData::SetSelected(bool selected) {
  m_selected = selected;
  if (auto* highlight = CRSCanvasBehaviour::Find<CBehaviourHighlight>(m_item.get())) highlight->SetOn(selected);
}

void CPuzzleImageData::OnItemGeometryChanged(CRSCanvasItem* item) {
  // A free item is still being built or was taken off the floor: its
  // place means nothing yet.
  // The drag moves an item's origin to the grabbed point, so its position
  // is wherever the player took hold of it; the corner is what a new item
  // (origin at its corner) is built at next time.
  if (item && item == m_item.get() && item->GetParent()) m_position = item->GetTopLeft();
}

void CPuzzleImageData::PlaceRandomlyOnce() {
  CRSCanvasItem* item = m_item.get();
  if (m_positionValid || !item) return;
  m_positionValid = true;
  PlaceRandomly(item);
}

// ---- categories --------------------------------------------------------------

CRSCanvasItem* CPuzzleCategoryData::GetItem() {
  if (CRSCanvasItem* item = m_item.get()) return item;
  CRSCanvasItem* folder = CreateFolder();
  if (!folder) return nullptr;
  new CBehaviourDrag(folder);
  new CBehaviourRaiseable(folder);
  if (auto* highlight = CRSCanvasBehaviour::Find<CBehaviourHighlight>(folder)) highlight->SetOn(m_selected);
  folder->sigGeometryChanged.connect(this, &CPuzzleCategoryData::OnItemGeometryChanged);
  m_item.Assign(folder);
  return folder;
}

CRSCanvasItem* CPuzzleCategoryData::PeekItem() const { return m_item.get(); }

CRSCanvasItem* CPuzzleCategoryData::CreateFolder() {
  DecodePicture();
  if (!m_picture) return nullptr;
  return BuildFolder();
}

CRSCanvasItem* CPuzzleCategoryData::BuildFolder() {
  auto* group = new CRSCanvasGroup(m_position, nullptr, m_title);
  group->SetUserData(std::make_unique<PuzzleCategoryUserData>(this));
  new CRSCanvasImage(PointF(), group, "imgThumbNail", m_picture);
  if (std::shared_ptr<Gdiplus::Bitmap> icon = FolderPicture()) new CRSCanvasImage(PointF(), group, "imgFolder", icon);

  CRSCanvasShapeText* title = MakeText(group, "textShapeTitle", m_title, "Arial", 14.0f, kWhite, kDarkOutline);
  title->SetFitPath(false);
  Gdiplus::StringFormat format;
  format.SetAlignment(Gdiplus::StringAlignmentNear);
  format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
  format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
  title->SetStringFormat(format);
  MakeText(group, "textShapeNumber", std::to_string(m_number), "Arial", 20.0f, kWhite, kDarkOutline);

  new CBehaviourAlign(group, CBehaviourAlign::kKeepInside);
  new CBehaviourHighlight(group);
  LayoutFolder(*group);
  std::erase_if(m_folders, [](const CRSWeakRef<CRSCanvasItem>& f) { return !f; });
  m_folders.emplace_back(group);
  return group;
}

void CPuzzleCategoryData::LayoutFolder(CRSCanvasItem& folder) {
  if (!m_picture) return;
  const float w = static_cast<float>(m_picture->GetWidth());
  const float h = static_cast<float>(m_picture->GetHeight());
  if (auto* picture = dynamic_cast<CRSCanvasImage*>(folder.FindChild("imgThumbNail"))) {
    if (picture->GetImage() != m_picture) picture->SetImage(m_picture, true);
  }
  // The icon sits centred on the picture's lower right corner, and the
  // title ends where the icon begins.
  float iconLeft = w;
  if (auto* icon = dynamic_cast<CRSCanvasImage*>(folder.FindChild("imgFolder"))) {
    const SizeF size = icon->GetSize();
    iconLeft = w - size.Width / 2.0f;
    icon->MoveTopLeftTo(PointF(iconLeft, h - size.Height / 2.0f));
  }
  if (auto* title = dynamic_cast<CRSCanvasShapeText*>(folder.FindChild("textShapeTitle"))) {
    title->SetSize(SizeF(iconLeft + 30.0f, 20.0f));
    title->SetText(m_title);
    title->MoveTopLeftTo(PointF(-30.0f, h - 6.0f));
  }
  if (auto* number = dynamic_cast<CRSCanvasShapeText*>(folder.FindChild("textShapeNumber"))) {
    number->SetText(std::to_string(m_number));
    const SizeF size = number->GetSize();
    number->MoveTopLeftTo(PointF(w - size.Width / 2.0f, -size.Height / 2.0f));
  }
}

void CPuzzleCategoryData::RefreshFolders() {
  std::erase_if(m_folders, [](const CRSWeakRef<CRSCanvasItem>& f) { return !f; });
  // Laying out may run handlers; walk a copy.
  const auto folders = m_folders;
  for (const auto& folder : folders)
    if (CRSCanvasItem* item = folder.get()) LayoutFolder(*item);
}

void CPuzzleCategoryData::SetNumber(int count) {
  m_number = count;
  RefreshFolders();
}

void CPuzzleCategoryData::SetSelected(bool selected) {
  m_selected = selected;
  if (auto* highlight = CRSCanvasBehaviour::Find<CBehaviourHighlight>(m_item.get())) highlight->SetOn(selected);
}

void CPuzzleCategoryData::OnItemGeometryChanged(CRSCanvasItem* item) {
  // The drag moves an item's origin to the grabbed point, so its position
  // is wherever the player took hold of it; the corner is what a new item
  // (origin at its corner) is built at next time.
  if (item && item == m_item.get() && item->GetParent()) m_position = item->GetTopLeft();
}

void CPuzzleCategoryData::PlaceRandomlyOnce() {
  CRSCanvasItem* item = m_item.get();
  if (m_positionValid || !item) return;
  m_positionValid = true;
  PlaceRandomly(item);
}
