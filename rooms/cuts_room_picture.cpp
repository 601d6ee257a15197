// The cuts room's picture: loading a new puzzle's picture file, and the
// picture group that shows it with the cut lines over it.

#include <algorithm>
#include <cstring>
#include <vector>

#include "canvas/behaviours.h"
#include "canvas/items.h"
#include "data/puzzle_data.h"
#include "data/room_host.h"
#include "platform/image_codec.h"
#include "platform/image_helpers.h"
#include "platform/pen.h"
#include "rooms/cuts_room.h"

namespace cuts_picture {

namespace {

// The one rule behind both choices of picture size: a picture beyond
// `limit` (or, with reduceAtLimit, as large as it) is reduced to fit it.
// `owned` is the decoded picture when the caller gives it away, so that a
// picture kept as it is is taken over rather than copied.
Loaded PrepareWithin(const Gdiplus::Bitmap* decoded, std::unique_ptr<Gdiplus::Bitmap> owned, const Size& limit,
                     bool reduceAtLimit) {
  Loaded loaded;
  if (!decoded || !decoded->IsValid() || decoded->GetWidth() == 0 || decoded->GetHeight() == 0) {
    loaded.result = Result::kUnrecognised;
    return loaded;
  }
  const int width = decoded->GetWidth();
  const int height = decoded->GetHeight();
  if (width < kMinSide || height < kMinSide) {
    loaded.result = Result::kTooSmall;
    return loaded;
  }
  const bool beyond = reduceAtLimit ? width >= limit.Width || height >= limit.Height
                                    : width > limit.Width || height > limit.Height;
  const bool reduce = limit.Width > 0 && limit.Height > 0 && beyond;
  std::unique_ptr<Gdiplus::Bitmap> picture;
  if (reduce) {
    picture = platform::ScaledCopy(*decoded, limit.Width, limit.Height, Gdiplus::PixelFormat::Format24bppRGB, true);
  } else if (decoded->GetPixelFormat() == Gdiplus::PixelFormat::Format24bppRGB) {
    // A photo as large as the limit is not held twice.
    picture = owned ? std::move(owned) : decoded->Clone();
  } else {
    picture = platform::ScaledCopy(*decoded, width, height, Gdiplus::PixelFormat::Format24bppRGB, false);
  }
  owned.reset();
  if (!picture || !picture->IsValid()) {
    loaded.result = Result::kUnrecognised;
    return loaded;
  }
  // A very long, thin picture may fall below the minimum side once it fits
  // the limit; the cutter could not make a single piece of it.
  if (picture->GetWidth() < kMinSide || picture->GetHeight() < kMinSide) {
    loaded.result = Result::kTooSmall;
    return loaded;
  }
  loaded.result = Result::kOk;
  loaded.picture = std::move(picture);
  return loaded;
}

// The picture file decoded, upright, and never larger than a full picture
// may be: a JPEG photo beyond that is reduced while it is decoded, and any
// other picture whose pixels would not fit the budget is refused from its
// header, before any of them is decoded.
Loaded Decode(const std::string& path, std::unique_ptr<Gdiplus::Bitmap>& decoded) {
  Loaded loaded;
  platform::BoundedImage image = platform::LoadImageFileWithin(path, kFullPictureSide, kMaxDecodedBytes / 4);
  decoded = std::move(image.bitmap);
  loaded.result = decoded ? Result::kOk : image.tooLarge ? Result::kTooLarge : Result::kUnrecognised;
  return loaded;
}

}  // namespace

Loaded Prepare(std::unique_ptr<Gdiplus::Bitmap> decoded, const Size& largest) {
  // All later work (cutting, previews, pieces) is done on a picture no
  // larger than the screen, so a photo is reduced once, here.
  const Gdiplus::Bitmap* view = decoded.get();
  return PrepareWithin(view, std::move(decoded), largest, true);
}

Loaded Prepare(const Gdiplus::Bitmap* decoded, const Size& largest) {
  return PrepareWithin(decoded, nullptr, largest, true);
}

Loaded FitTheScreen(const std::shared_ptr<Gdiplus::Bitmap>& full, const Size& largest) {
  // A full picture smaller than the screen is its own fitted picture; only
  // a reduction makes a new one, read from the full picture, not copied.
  const bool kept = full && full->IsValid() && full->GetPixelFormat() == Gdiplus::PixelFormat::Format24bppRGB &&
                    full->GetWidth() >= kMinSide && full->GetHeight() >= kMinSide &&
                    (largest.Width <= 0 || largest.Height <= 0 ||
                     (full->GetWidth() < largest.Width && full->GetHeight() < largest.Height));
  if (!kept) return PrepareWithin(full.get(), nullptr, largest, true);
  Loaded same;
  same.result = Result::kOk;
  same.picture = full;
  return same;
}

Loaded LoadFile(const std::string& path, const Size& largest) {
  std::unique_ptr<Gdiplus::Bitmap> decoded;
  const Loaded read = Decode(path, decoded);
  if (read.result != Result::kOk) return read;
  return Prepare(std::move(decoded), largest);
}

Loaded PrepareFull(std::unique_ptr<Gdiplus::Bitmap> decoded) {
  const Gdiplus::Bitmap* view = decoded.get();
  return PrepareWithin(view, std::move(decoded), Size(kFullPictureSide, kFullPictureSide), false);
}

Loaded LoadFullPicture(const std::string& path) {
  std::unique_ptr<Gdiplus::Bitmap> decoded;
  const Loaded read = Decode(path, decoded);
  if (read.result != Result::kOk) return read;
  return PrepareFull(std::move(decoded));
}

std::string RefusalText(Result result) {
  switch (result) {
    case Result::kTooSmall: return "Image file could not be loaded: size too small!!!";
    case Result::kTooLarge: return "Image file could not be loaded: size too large!!!";
    default: return "Image file could not be loaded: unrecognized format!!!";
  }
}

std::string FileNameOf(const std::string& path) {
  std::string normal;
  normal.reserve(path.size());
  for (char c : path) {
    const char slash = c == '\\' ? '/' : c;
    if (slash == '/' && !normal.empty() && normal.back() == '/') continue;
    normal.push_back(slash);
  }
  const size_t last = normal.rfind('/');
  return last == std::string::npos ? normal : normal.substr(last + 1);
}

}  // namespace cuts_picture

namespace {

// The cut lines of the preview. Every slider step gives them a new path of
// tens of thousands of short segments; they are laid down pixel by pixel
// rather than through the pens' exact outlines, which a preview that must
// follow the slider cannot afford and which it does not need to show where
// the cuts run.
class CutLines : public CRSCanvasShape {
 public:
  CutLines(CRSObject* parent) : CRSCanvasShape(PointF(), parent, "cutsLines") {}

  void PaintContent(Gdiplus::Graphics& g, bool useCache) override {
    g.SetSmoothingMode(Gdiplus::SmoothingModeHighSpeed);
    CRSCanvasShape::PaintContent(g, useCache);
  }
};

}  // namespace

void CPuzzleCutsRoom::BuildPicture() {
  auto* group = new CRSCanvasGroup(PointF(), m_stage.get(), "cutsPicture");
  group->SetZOrder(0);
  m_group.Assign(group);

  // The group is as large as the picture; the cuts are centred over it.
  m_image.Assign(new CRSCanvasImage(PointF(), group, "cutsImage", m_puzzle->GetPicture()));

  auto* cuts = new CutLines(group);
  // The pale, wide line first and the thin dark one over it: the cuts stay
  // visible over both light and dark parts of the picture.
  cuts->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(kHaloPen), 3.0f));
  cuts->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(kLinePen), 1.0f));
  // Every slider step redraws all cuts over the whole picture, so they are
  // drawn without anti-aliasing.
  cuts->SetAntiAliasOutline(false);
  m_cuts.Assign(cuts);
  OnCutsPath(m_puzzle->GetCutter().GetCutsPath());

  (new CBehaviourAlign(group, CBehaviourAlign::kCentre))->Align();
}

void CPuzzleCutsRoom::OnCutsPath(const Gdiplus::GraphicsPath& path) {
  CRSCanvasShape* cuts = m_cuts.get();
  if (!cuts) return;
  m_shownCuts = path;
  // The shape takes its size from the path; the grid is cut from the
  // middle of the picture, so the cuts are centred over it.
  // Stroking curves flattens them again at every repaint, at a tolerance
  // far finer than a preview needs; half a pixel keeps the shapes and cuts
  // a quarter off each slider step.
  std::unique_ptr<Gdiplus::GraphicsPath> flat(path.Clone());
  flat->Flatten(nullptr, kPreviewFlatness);
  cuts->SetPath(std::move(flat));
  const Gdiplus::Bitmap& picture = *m_puzzle->GetPicture();
  const SizeF size = cuts->GetSize();
  cuts->SetPosition(PointF((picture.GetWidth() - size.Width) / 2, (picture.GetHeight() - size.Height) / 2));
}

void CPuzzleCutsRoom::OnGridSize(Size) {
  // A new piece size rebuilds the grid; the cutter may or may not give
  // notice of the new outline as well, so the outline is fetched here, but
  // taken again only when it differs from the one the cut lines show:
  // flattening tens of thousands of curves twice would cost a slider step
  // a tenth of its time.
  const Gdiplus::GraphicsPath& path = m_puzzle->GetCutter().GetCutsPath();
  const std::vector<PointF>& points = path.Points();
  const std::vector<PointF>& shown = m_shownCuts.Points();
  // Compared bit for bit: a mismatch only costs taking the outline again.
  const bool same = path.Types() == m_shownCuts.Types() && points.size() == shown.size() &&
                    (points.empty() || std::memcmp(points.data(), shown.data(), points.size() * sizeof(PointF)) == 0);
  if (!same) OnCutsPath(path);
}
