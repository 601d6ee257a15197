#include "platform/piece_renderer.h"

#include <cairo.h>

namespace platform {
namespace {

// Owns a drawing context for the length of one call.
struct Context {
  explicit Context(cairo_surface_t* target) : cr(cairo_create(target)) {}
  ~Context() { cairo_destroy(cr); }
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;
  bool Ok() const { return cairo_status(cr) == CAIRO_STATUS_SUCCESS; }
  cairo_t* cr;
};

bool Usable(const Bitmap& b) { return b.IsValid() && b.GetWidth() > 0 && b.GetHeight() > 0; }

}  // namespace

std::unique_ptr<Bitmap> CopyArea(const Bitmap& picture, const Rect& area) {
  if (!Usable(picture) || area.IsEmptyArea()) return nullptr;
  auto copy = std::make_unique<Bitmap>(area.Width, area.Height, PixelFormat::Format24bppRGB);
  if (!copy->IsValid()) return nullptr;
  Context ctx(copy->GetSurface());
  if (!ctx.Ok()) return nullptr;
  cairo_set_source_rgb(ctx.cr, 0, 0, 0);
  cairo_paint(ctx.cr);
  cairo_set_operator(ctx.cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(ctx.cr, picture.GetSurface(), -area.X, -area.Y);
  cairo_rectangle(ctx.cr, 0, 0, area.Width, area.Height);
  cairo_fill(ctx.cr);
  cairo_surface_flush(copy->GetSurface());
  return copy;
}

std::unique_ptr<Bitmap> ScaledCopy(const Bitmap& picture, int width, int height) {
  if (!Usable(picture) || width <= 0 || height <= 0) return nullptr;
  auto copy = std::make_unique<Bitmap>(width, height, PixelFormat::Format32bppARGB);
  if (!copy->IsValid()) return nullptr;
  Context ctx(copy->GetSurface());
  if (!ctx.Ok()) return nullptr;
  cairo_scale(ctx.cr, static_cast<double>(width) / picture.GetWidth(),
              static_cast<double>(height) / picture.GetHeight());
  cairo_set_source_surface(ctx.cr, picture.GetSurface(), 0, 0);
  // Pad the edges so that the border pixels are not blended with
  // transparency while scaling.
  cairo_pattern_set_extend(cairo_get_source(ctx.cr), CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(cairo_get_source(ctx.cr), CAIRO_FILTER_GOOD);
  cairo_set_operator(ctx.cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(ctx.cr);
  cairo_surface_flush(copy->GetSurface());
  return copy;
}

std::unique_ptr<Bitmap> CopyInsideOutline(const Bitmap& source, const std::vector<PointF>& outline,
                                          float scaleX, float scaleY, const Rect& area) {
  if (!Usable(source) || area.IsEmptyArea() || outline.size() < 3) return nullptr;
  auto piece = std::make_unique<Bitmap>(area.Width, area.Height, PixelFormat::Format32bppARGB);
  if (!piece->IsValid()) return nullptr;
  Context ctx(piece->GetSurface());
  if (!ctx.Ok()) return nullptr;
  // Each vertex is scaled in double precision and then moved by whole
  // pixels only: two pieces sharing an edge subtract different whole
  // numbers from the same values, which is exact, so the rasteriser sees
  // the same edge in both and gives each pixel on it to one side only.
  for (const PointF& p : outline) {
    cairo_line_to(ctx.cr, static_cast<double>(p.X) * scaleX - area.X,
                  static_cast<double>(p.Y) * scaleY - area.Y);
  }
  cairo_close_path(ctx.cr);
  cairo_set_antialias(ctx.cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_fill_rule(ctx.cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_set_source_surface(ctx.cr, source.GetSurface(), -area.X, -area.Y);
  cairo_set_operator(ctx.cr, CAIRO_OPERATOR_SOURCE);
  cairo_fill(ctx.cr);
  cairo_surface_flush(piece->GetSurface());
  return piece;
}

}  // namespace platform
