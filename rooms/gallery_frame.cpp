#include "rooms/gallery_frame.h"

#include <algorithm>
#include <cmath>

#include "canvas/behaviours.h"
#include "canvas/items.h"
#include "data/puzzle_image_data.h"
#include "platform/display_scale.h"
#include "platform/graphics.h"
#include "platform/image_helpers.h"

namespace gallery {

const FrameArtwork& FrameArtwork::BuiltIn() {
  static const FrameArtwork art = [] {
    FrameArtwork a;
    const float scale = platform::GetDisplayScale();
    a.nail = platform::LoadImageFromResource("IMG", "IMG_GALLERY_FRAME_NAIL", scale);
    a.corner = platform::LoadImageFromResource("IMG", "IMG_GALLERY_FRAME_CORNER", scale);
    a.border = platform::LoadImageFromResource("IMG", "IMG_GALLERY_FRAME_BORDER", scale);
    return a;
  }();
  return art;
}

std::unique_ptr<Gdiplus::Bitmap> QuarterTurnedCopy(const Gdiplus::Bitmap& picture, int quarterTurns) {
  if (!picture.IsValid()) return nullptr;
  const int turns = ((quarterTurns % 4) + 4) % 4;
  const int w = picture.GetWidth(), h = picture.GetHeight();
  const bool swap = turns % 2 == 1;
  auto out = std::make_unique<Gdiplus::Bitmap>(swap ? h : w, swap ? w : h, Gdiplus::PixelFormat::Format32bppARGB);
  if (!out->IsValid()) return nullptr;
  // Raw words are copied as they are: both bitmaps keep premultiplied
  // pixels, and an opaque source reads as opaque once its unused byte is
  // forced to full alpha.
  const std::uint32_t opaque = picture.HasAlpha() ? 0u : 0xFF000000u;
  for (int y = 0; y < h; ++y) {
    const std::uint32_t* row = picture.GetRow(y);
    for (int x = 0; x < w; ++x) {
      int tx = x, ty = y;
      switch (turns) {
        case 1: tx = h - 1 - y, ty = x; break;
        case 2: tx = w - 1 - x, ty = h - 1 - y; break;
        case 3: tx = y, ty = w - 1 - x; break;
        default: break;
      }
      out->GetRow(ty)[tx] = row[x] | opaque;
    }
  }
  out->MarkDirty();
  return out;
}

std::unique_ptr<Gdiplus::Bitmap> ComposeFrame(const Gdiplus::Bitmap& thumbnail, const FrameArtwork& art) {
  if (!thumbnail.IsValid()) return nullptr;
  const Gdiplus::Bitmap* nail = art.nail && art.nail->IsValid() ? art.nail.get() : nullptr;
  const Gdiplus::Bitmap* corner = art.corner && art.corner->IsValid() ? art.corner.get() : nullptr;
  const Gdiplus::Bitmap* border = art.border && art.border->IsValid() ? art.border.get() : nullptr;
  const Gdiplus::Bitmap* any = border ? border : corner ? corner : nail;
  const float resolution = any ? any->GetHorizontalResolution() : Gdiplus::Bitmap::kUnitResolution;
  const float density = resolution / Gdiplus::Bitmap::kUnitResolution;
  const int w = static_cast<int>(std::lround(thumbnail.GetWidth() * density));
  const int h = static_cast<int>(std::lround(thumbnail.GetHeight() * density));
  const int b = border ? border->GetWidth() : 0;
  const int nw = nail ? nail->GetWidth() : 0, nh = nail ? nail->GetHeight() : 0;
  const int width = w + 2 * b, height = nh + h + 2 * b;

  auto frame = std::make_unique<Gdiplus::Bitmap>(width, height, Gdiplus::PixelFormat::Format32bppARGB);
  if (!frame->IsValid()) return nullptr;
  frame->SetResolution(resolution, resolution);
  Gdiplus::Graphics g(frame.get());
  g.Clear(Gdiplus::Color(0u));
  const float fw = static_cast<float>(width), fb = static_cast<float>(b), fnh = static_cast<float>(nh);
  if (nail) g.DrawImage(nail, static_cast<float>((width - nw) / 2), 0.0f);
  if (density == 1.0f) {
    g.DrawImage(&thumbnail, fb, fnh + fb);
  } else {
    g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    g.DrawImage(&thumbnail, RectF(fb, fnh + fb, static_cast<float>(w), static_cast<float>(h)));
  }

  if (border) {
    // The strip is stretched only along its length; taking a source one
    // pixel shorter at each end keeps the scaling from fading the ends
    // into transparency, which would show as notches beside the corners.
    const float framedHeight = static_cast<float>(h + 2 * b);
    const float len = static_cast<float>(border->GetHeight());
    const float inset = len > 2.0f ? 0.5f : 0.0f;
    g.DrawImage(border, RectF(0.0f, fnh, fb, framedHeight), 0.0f, inset, fb, len - 2 * inset, Gdiplus::UnitPixel);
    g.DrawImage(border, RectF(static_cast<float>(w + b), fnh, fb, framedHeight), 0.0f, inset, fb, len - 2 * inset,
                Gdiplus::UnitPixel);
    if (std::unique_ptr<Gdiplus::Bitmap> across = QuarterTurnedCopy(*border, 1)) {
      g.DrawImage(across.get(), RectF(0.0f, fnh, fw, fb), inset, 0.0f, len - 2 * inset, fb, Gdiplus::UnitPixel);
      g.DrawImage(across.get(), RectF(0.0f, fnh + static_cast<float>(h + b), fw, fb), inset, 0.0f, len - 2 * inset,
                  fb, Gdiplus::UnitPixel);
    }
  }
  if (corner) {
    const int cw = corner->GetWidth(), ch = corner->GetHeight();
    // Clockwise from the top left, each corner a quarter turn further.
    const PointF places[4] = {PointF(0.0f, fnh), PointF(static_cast<float>(width - ch), fnh),
                              PointF(static_cast<float>(width - cw), static_cast<float>(height - ch)),
                              PointF(0.0f, static_cast<float>(height - cw))};
    for (int turn = 0; turn < 4; ++turn) {
      std::unique_ptr<Gdiplus::Bitmap> turned = QuarterTurnedCopy(*corner, turn);
      if (turned) g.DrawImage(turned.get(), places[turn]);
    }
  }
  return frame;
}

CRSCanvasImage* CreateFramedPicture(CPuzzleImageData& entry, const FrameArtwork& art) {
  entry.DecodeThumbnail();
  const std::shared_ptr<Gdiplus::Bitmap>& thumbnail = entry.GetThumbnail();
  if (!thumbnail) return nullptr;
  std::shared_ptr<Gdiplus::Bitmap> framed = ComposeFrame(*thumbnail, art);
  if (!framed) return nullptr;
  auto* image = new CRSCanvasImage(PointF(), nullptr, entry.GetName(), std::move(framed));
  image->SetUserData(std::make_unique<CPuzzleImageData::PuzzleImageUserData>(&entry));
  new CBehaviourHighlight(image);
  return image;
}

}  // namespace gallery
