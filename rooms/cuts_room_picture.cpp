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

Loaded Prepare(const Gdiplus::Bitmap* decoded, const Size& largest) {
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
  // All later work (cutting, previews, pieces) is done on a picture no
  // larger than the screen, so a photo is reduced once, here.
  const bool reduce = largest.Width > 0 && largest.Height > 0 && (width >= largest.Width || height >= largest.Height);
  std::unique_ptr<Gdiplus::Bitmap> picture;
  if (reduce) {
    picture = platform::ScaledCopy(*decoded, largest.Width, largest.Height, Gdiplus::PixelFormat::Format24bppRGB, true);
  } else if (decoded->GetPixelFormat() == Gdiplus::PixelFormat::Format24bppRGB) {
    picture = decoded->Clone();
  } else {
    picture = platform::ScaledCopy(*decoded, width, height, Gdiplus::PixelFormat::Format24bppRGB, false);
  }
  if (!picture || !picture->IsValid()) {
    loaded.result = Result::kUnrecognised;
    return loaded;
  }
  // A very long, thin picture may fall below the minimum side once it fits
  // the screen; the cutter could not make a single piece of it.
  if (picture->GetWidth() < kMinSide || picture->GetHeight() < kMinSide) {
    loaded.result = Result::kTooSmall;
    return loaded;
  }
  loaded.result = Result::kOk;
  loaded.picture = std::move(picture);
  return loaded;
}

Loaded LoadFile(const std::string& path, const Size& largest) {
  std::unique_ptr<Gdiplus::Bitmap> decoded = platform::LoadImageFile(path);
  return Prepare(decoded.get(), largest);
}

std::string RefusalText(Result result) {
  return result == Result::kTooSmall ? "Image file could not be loaded: size too small!!!"
                                     : "Image file could not be loaded: unrecognized format!!!";
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
  new CRSCanvasImage(PointF(), group, "cutsImage", m_puzzle->GetPicture());

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
