// The soft image behind an item, shared by the highlight and the shadow: one
// image item beside the item in its parent, following the item and every
// ancestor, with a picture rendered only when it is first painted.

#include "canvas/behaviours.h"

#include <array>
#include <cmath>
#include <memory>
#include <unordered_map>
#include <vector>

#include "canvas/glow.h"
#include "canvas/items/geometry_epoch.h"
#include "canvas/items/sharp_work_budget.h"

namespace {

// The linear part (rotation, scale) of the item's transform to its soft-image
// frame (the root when there is none). Soft images are placed in the item's
// parent, so only this part of the parent's transform can move them relative
// to the item: a parent that is merely shifted carries item and image along
// alike.
std::array<float, 4> LinearPartToFrame(CRSCanvasItem* item) {
  if (!item) return {1.0f, 0.0f, 0.0f, 1.0f};
  // The soft images of a group's pieces all ask this of the same group,
  // one after another, when the group moves: the answer is kept until any
  // transform changes.
  static const CRSCanvasItem* s_item = nullptr;
  static unsigned s_epoch = 0;
  static std::array<float, 4> s_linear;
  if (item != s_item || canvas_geometry::Epoch() != s_epoch) {
    float m[6];
    item->GetTransformTo(FindSoftImageFrame(item)).GetElements(m);
    s_linear = {m[0], m[1], m[2], m[3]};
    s_item = item;
    s_epoch = canvas_geometry::Epoch();
  }
  return s_linear;
}

// Whether the part of the image that can be seen at all is being painted
// whole by the paint now running, whose transform the graphics holds for the
// image. An ancestor that culls by its bounds also clips its children to
// them, so what lies beyond it (the shadow of a piece half off the floor) is
// never on screen and needs no repaint.
bool PaintedWhole(Gdiplus::Graphics& g, CRSCanvasImage& image) {
  Gdiplus::Matrix world;
  g.GetTransform(&world);
  RectF device = Gdiplus::TransformedBounds(world, image.GetLocalRect());
  for (CRSCanvasItem* ancestor = image.GetParentItem(); ancestor; ancestor = ancestor->GetParentItem()) {
    if (!ancestor->GetCullByBounds()) continue;
    // The ancestor's own space mapped to the device.
    Gdiplus::Matrix toDevice = image.GetTransformTo(ancestor);
    if (toDevice.Invert() != Gdiplus::Ok) break;
    toDevice.Multiply(world, MatrixOrderAppend);
    if (!RectF::Intersect(device, device, Gdiplus::TransformedBounds(toDevice, ancestor->GetLocalRect())))
      return true;
  }
  RectF clip;
  g.ResetTransform();
  g.GetClipBounds(&clip);
  g.SetTransform(&world);
  // Half a pixel of slack: the clip is whole pixels, the bounds are not.
  return clip.GetLeft() <= device.GetLeft() + 0.5f && clip.GetTop() <= device.GetTop() + 0.5f &&
         clip.GetRight() + 0.5f >= device.GetRight() && clip.GetBottom() + 0.5f >= device.GetBottom();
}

}  // namespace

// One watch for every soft image whose item lies in `parent`. It listens
// once to the links from the parent up to the soft-image frame and, when
// any of them moves, turns or changes parent, tells the images only when
// the parent's turn or scale seen from the frame changed: a mere move
// carries item and image along alike. Joining a piece to a group of
// thousands, or dragging that group, then costs one check, not one for
// each of its pieces.
class CBehaviourSoftImage::ChainWatch : public sigslot::has_slots {
 public:
  // The watch of that parent, made when missing.
  static std::shared_ptr<ChainWatch> For(CRSCanvasItem* parent) {
    auto& watches = Watches();
    if (const auto found = watches.find(parent); found != watches.end()) {
      if (std::shared_ptr<ChainWatch> watch = found->second.lock()) return watch;
    }
    auto watch = std::make_shared<ChainWatch>(parent);
    watches[parent] = watch;
    watch->Track();
    return watch;
  }

  explicit ChainWatch(CRSCanvasItem* parent) : m_parent(parent), m_linear(LinearPartToFrame(parent)) {}
  ~ChainWatch() override { Forget(); }

  void Add(CBehaviourSoftImage* image) {
    image->m_watchIndex = m_images.size();
    m_images.push_back(image);
    if (image->m_placedUnder != m_linear) m_mixed = true;
  }

  void Remove(CBehaviourSoftImage* image) {
    const std::size_t at = image->m_watchIndex;
    if (at >= m_images.size() || m_images[at] != image) return;
    m_images[at] = m_images.back();
    m_images[at]->m_watchIndex = at;
    m_images.pop_back();
  }

  // An image placed under another turn or scale than the watch last saw
  // (a link left its parent, which says nothing, and the image was placed
  // meanwhile): the next change asks every image.
  void NotePlaced(const std::array<float, 4>& linear) {
    if (linear != m_linear) m_mixed = true;
  }

 private:
  // The map outlives every watch: it is never destroyed, so a watch still
  // held when the program ends finds it.
  static std::unordered_map<const CRSCanvasItem*, std::weak_ptr<ChainWatch>>& Watches() {
    static auto* watches = new std::unordered_map<const CRSCanvasItem*, std::weak_ptr<ChainWatch>>();
    return *watches;
  }

  void Forget() {
    if (!m_parent) return;
    auto& watches = Watches();
    const auto found = watches.find(m_parent);
    if (found != watches.end() && found->second.expired()) watches.erase(found);
    m_parent = nullptr;
  }

  void Track() {
    disconnect_all();
    if (!m_parent) return;
    m_parent->sigDestroyed.connect(this, &ChainWatch::OnParentGone);
    CRSCanvasItem* frame = FindSoftImageFrame(m_parent);
    for (CRSCanvasItem* link = m_parent; link && link != frame; link = link->GetParentItem()) {
      link->sigGeometryChanged.connect(this, &ChainWatch::OnGeometry);
      link->sigParentChanged.connect(this, &ChainWatch::OnParent);
    }
  }

  void OnGeometry(CRSCanvasItem*) {
    if (!m_parent) return;
    const std::array<float, 4> now = LinearPartToFrame(m_parent);
    if (now == m_linear && !m_mixed) return;
    m_linear = now;
    m_mixed = false;
    // Placing an image moves it inside the parent, which may report back
    // here; by then the watch already holds the new turn.
    for (std::size_t i = 0; i < m_images.size(); ++i) m_images[i]->OnChainMoved();
  }

  void OnParent(CRSObject*, CRSObject*, CRSObject*) {
    Track();
    OnGeometry(nullptr);
  }

  void OnParentGone(CRSObject*) {
    // The images still listed belong to items that left the parent without
    // a word (a detached item says nothing); each joins a watch of its new
    // parent when it moves.
    disconnect_all();
    auto& watches = Watches();
    const auto found = watches.find(m_parent);
    if (found != watches.end() && found->second.lock().get() == this) watches.erase(found);
    m_parent = nullptr;
  }

  CRSCanvasItem* m_parent;
  std::vector<CBehaviourSoftImage*> m_images;
  std::array<float, 4> m_linear;
  bool m_mixed = false;
};

CBehaviourSoftImage::CBehaviourSoftImage(CRSCanvasItem* item, const std::string& name, const char* imageName,
                                         int margin)
    : CRSCanvasBehaviour(item, name), m_imageName(imageName), m_margin(margin) {
  m_itemSlots.owner = this;
}

CBehaviourSoftImage::~CBehaviourSoftImage() {
  m_itemSlots.disconnect_all();
  LeaveWatch();
  // The image lives in the item's parent, which would otherwise keep showing
  // it long after the item and its behaviour are gone.
  m_image.ResetWithDeletion();
}

void CBehaviourSoftImage::Rebuild() {
  CRSCanvasItem* item = GetItem();
  if (!item) return;
  const RectF rect = item->GetLocalRect();
  auto* image = new CRSCanvasImage(PointF(), nullptr, m_imageName);
  image->SetSize(SizeF(static_cast<float>(std::lround(rect.Width) + m_margin - 1),
                       static_cast<float>(std::lround(rect.Height) + m_margin - 1)));
  image->SetVisible(false);
  // The glow is drawn straight from its picture at its own size and
  // larger: a screen copy would hold every soft edge twice (thousands of
  // them under a large puzzle). Drawn smaller (a table zoomed out, where
  // thousands show at once and a whole repaint filters every one of them),
  // the copy is smaller than the picture and is kept.
  image->SetCacheEnabled(false);
  image->SetCacheWhenShrunk(true);
  // The previous image is replaced, not left behind in the parent.
  m_image.ResetWithDeletion();
  m_image = image;
  image->SetParent(item->GetParent());
  image->SetPrePaintNotification(true);
  // Sized for the glow above, so a shadow hidden under the pictures in
  // front of it is not rendered until it shows.
  image->SetPrePaintKeepsBounds(true);
  image->sigPrePaint.connect(this, &CBehaviourSoftImage::OnPrePaint);
  Place();
  ApplyVisibility();
  if (!m_tracking) {
    m_tracking = true;
    item->sigVisibleChanged.connect(this, &CBehaviourSoftImage::OnItemVisibleChanged);
    item->sigContentChanged.connect(this, &CBehaviourSoftImage::OnContentChanged);
    Track();
  }
}

void CBehaviourSoftImage::Track() {
  m_itemSlots.disconnect_all();
  CRSCanvasItem* item = GetItem();
  if (item) {
    item->sigGeometryChanged.connect(&m_itemSlots, &ItemSlots::OnGeometry);
    item->sigZOrderChanged.connect(&m_itemSlots, &ItemSlots::OnZOrder);
    item->sigParentChanged.connect(&m_itemSlots, &ItemSlots::OnParent);
  }
  JoinWatch();
}

void CBehaviourSoftImage::JoinWatch() {
  LeaveWatch();
  CRSCanvasItem* item = GetItem();
  CRSCanvasItem* parent = item ? item->GetParentItem() : nullptr;
  // Directly on its frame, or on nothing, no ancestor can turn the image
  // against the item.
  if (!parent || FindSoftImageFrame(parent) == parent) return;
  m_watch = ChainWatch::For(parent);
  m_watch->Add(this);
}

void CBehaviourSoftImage::LeaveWatch() {
  if (m_watch) m_watch->Remove(this);
  m_watch.reset();
}

void CBehaviourSoftImage::NotePlaced() {
  CRSCanvasItem* item = GetItem();
  m_placedUnder = LinearPartToFrame(item ? item->GetParentItem() : nullptr);
  if (item) {
    m_placedItem = item->GetTransform();
    m_placedRect = item->GetLocalRect();
  }
  if (m_watch) m_watch->NotePlaced(m_placedUnder);
}

void CBehaviourSoftImage::ApplyVisibility() {
  if (CRSCanvasImage* image = m_image) image->SetVisible(ShouldShow());
}

void CBehaviourSoftImage::Place() {
  CRSCanvasImage* image = m_image;
  CRSCanvasItem* item = GetItem();
  if (!image || !item || m_placing) return;
  // Placing moves the image, and moving it inside a group makes the group
  // report a change that leads back here.
  m_placing = true;
  // The area the image leaves must be repainted too: the soft edge reaches
  // beyond the item's own repaint margin, and would otherwise stay behind.
  image->Invalidate();
  const bool enabled = image->GetUpdatesEnabled();
  image->SetUpdatesEnabled(false);
  PlaceImage(*image, *item);
  NotePlaced();
  image->SetUpdatesEnabled(enabled);
  image->Invalidate();
  m_placing = false;
}

namespace {

// How often the item's own picture may be halved for its glow when drawn
// under `world`: as often as the item's image would halve it for itself,
// and no further than leaves the glow's box two pixels wide, so that the
// soft edge stays soft. 0 for an item that is not a plain picture.
int GlowLevelFor(CRSCanvasItem& item, const Gdiplus::Matrix& world, int margin) {
  auto* image = dynamic_cast<CRSCanvasImage*>(&item);
  const Gdiplus::Bitmap* picture = image ? image->GetImage().get() : nullptr;
  if (!picture || picture->GetWidth() <= 0 || picture->GetHeight() <= 0) return 0;
  float m[6];
  world.GetElements(m);
  const RectF rect = item.GetLocalRect();
  const float deviceScale = std::min(std::hypot(m[0], m[1]) * rect.Width / static_cast<float>(picture->GetWidth()),
                                     std::hypot(m[2], m[3]) * rect.Height / static_cast<float>(picture->GetHeight()));
  int level = CRSCanvasImage::ReductionLevel(deviceScale);
  while (level > 0 && (margin >> level) < 2) --level;
  return level;
}

// Takes the work of a glow at `level` from the frame's budget: the halved
// copy it is made from first (which the item draws from too), then its blur,
// a few passes over as many pixels. False when either is left for later.
bool AffordGlow(CRSCanvasItem& item, int level) {
  auto* image = dynamic_cast<CRSCanvasImage*>(&item);
  // Anything else renders from its own paint, which the budget does not bound.
  if (!image || !image->GetImage()) return true;
  const Gdiplus::Bitmap* source = level > 0 ? image->PictureAtLevel(level) : image->GetImage().get();
  if (!source || (level > 0 && image->GetReducedLevel() != level)) return false;
  return CRSSharpWorkBudget::Spend(static_cast<long long>(source->GetWidth()) * source->GetHeight() * 2);
}

}  // namespace

void CBehaviourSoftImage::OnPrePaint(CRSCanvasItem*, Gdiplus::Graphics& g, bool) {
  CRSCanvasImage* image = m_image;
  CRSCanvasItem* item = GetItem();
  if (!image || !item) return;
  // The item and its image share a parent, so the image's transform scales
  // as the item's does. Met far smaller than itself (thousands of pieces
  // coming into view as the table zooms out), the glow is made from the
  // item's halved picture: a sixteenth of the work at a quarter of the size.
  // Such a glow stays watched and is made finer when drawn larger.
  Gdiplus::Matrix world;
  g.GetTransform(&world);
  const int level = GlowLevelFor(*item, world, m_margin);
  if (image->GetImage() && level >= m_glowLevel) return;
  // Within a frame's budget of new work only: past it the image keeps the
  // glow it has (or none yet) until a later frame, which the paint that
  // fell short repaints.
  if (!AffordGlow(*item, level)) return;
  // Until now the image had no picture, so nothing of it is on screen that
  // would need clearing. What is painted right now covers the new picture
  // unless the paint's clip cuts it, or placing it below moves it; only then
  // is a repaint asked for. Asking every time would repaint the whole floor
  // a second time after the first frame of a room full of shadows.
  const bool paintedWhole = PaintedWhole(g, *image);
  const Gdiplus::Matrix transformBefore = image->GetTransform();
  const SizeF sizeBefore = image->GetSize();
  const bool hadPicture = image->GetImage() != nullptr;
  const bool enabled = image->GetUpdatesEnabled();
  image->SetUpdatesEnabled(false);
  // The image takes the reduced glow's own size (a unit or two short of the
  // full one's): stretched to the full size, its soft edge would slide off
  // the place the full glow gives it.
  image->SetImage(RenderGlow(*item, m_margin, GlowColour(), GlowStrength(), level), true);
  m_glowLevel = level;
  if (level == 0) {
    // The picture is fixed until the item's content changes again.
    image->sigPrePaint.disconnect(this);
    image->SetPrePaintNotification(false);
  }
  if (!m_placing) {
    PlaceImage(*image, *item);
    NotePlaced();
  }
  image->SetUpdatesEnabled(enabled);
  // A glow made from a halved picture is a unit or two off the size the
  // image was given: the paint now running draws it at its new size from
  // the same corner, so only a picture that shrank (which leaves old pixels
  // behind) or one that grew past the paint's clip needs a repaint. Asking
  // for one anyway would repaint thousands of pieces met in one zoom step.
  const bool moved = !image->GetTransform().Equals(transformBefore);
  const SizeF sizeNow = image->GetSize();
  const bool resized = !sizeNow.Equals(sizeBefore);
  const bool shrank = hadPicture && (sizeNow.Width < sizeBefore.Width || sizeNow.Height < sizeBefore.Height);
  if (moved || !paintedWhole || shrank || (resized && !PaintedWhole(g, *image))) image->Invalidate();
}

void CBehaviourSoftImage::PlaceJustUnder(CRSCanvasImage& image, CRSCanvasItem& item) const {
  image.SetZOrder(item.GetZOrder());
  image.MoveBeforeSibling(&item);
  image.SetRotation(item.GetRotation());
  const RectF rect = item.GetLocalRect();
  const int half = GetMargin() / 2;
  PointF corner(rect.X - static_cast<float>(half), rect.Y - static_cast<float>(half));
  item.GetTransform().TransformPoints(&corner);
  image.MoveTopLeftTo(corner);
}

void CBehaviourSoftImage::OnItemVisibleChanged(CRSCanvasItem*, bool) { ApplyVisibility(); }

void CBehaviourSoftImage::OnContentChanged(CRSCanvasItem*) { Rebuild(); }

void CBehaviourSoftImage::OnGeometryChanged(CRSCanvasItem*) {
  CRSCanvasItem* item = GetItem();
  CRSCanvasImage* image = m_image;
  if (!item || !image || m_placing || LinearPartToFrame(item->GetParentItem()) != m_placedUnder) {
    Place();
    return;
  }
  // The item itself moved without turning or changing size (a drag step
  // of each of hundreds of selected pieces): where the image belongs moves
  // by as much in the parent they share, and its place among the siblings
  // stays.
  const Gdiplus::Matrix& now = item->GetTransform();
  const Gdiplus::Matrix was = m_placedItem;
  if (now.M11() != was.M11() || now.M12() != was.M12() || now.M21() != was.M21() || now.M22() != was.M22() ||
      !item->GetLocalRect().Equals(m_placedRect)) {
    Place();
    return;
  }
  m_placedItem = now;
  image->MoveBy(PointF(now.DX() - was.DX(), now.DY() - was.DY()));
}

void CBehaviourSoftImage::OnChainMoved() {
  // An ancestor that only moved carries the image with the item: dragging a
  // group of hundreds of pieces must not re-place hundreds of shadows.
  CRSCanvasItem* item = GetItem();
  if (item && m_image && LinearPartToFrame(item->GetParentItem()) == m_placedUnder) return;
  Place();
}

void CBehaviourSoftImage::OnParentChanged(CRSObject* object, CRSObject* newParent, CRSObject*) {
  CRSCanvasImage* image = m_image;
  if (object == GetItem() && image) {
    image->SetParent(newParent);
  }
  // The new watch first, so that it knows what the image is placed under.
  Track();
  Place();
}
