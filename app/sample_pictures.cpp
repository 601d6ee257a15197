#include "app/sample_pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "platform/bitmap.h"

namespace app {
namespace {

constexpr float kTwoPi = 6.28318530718f;

struct Colour {
  float r, g, b;
};

std::uint32_t Pack(const Colour& c) {
  auto channel = [](float v) { return static_cast<std::uint32_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); };
  return 0xFF000000u | (channel(c.r) << 16) | (channel(c.g) << 8) | channel(c.b);
}

// A smooth, endlessly varied colour ramp: each channel is a cosine with its
// own phase, so t in [0, 1) runs through many distinct hues.
Colour CosinePalette(float t, const Colour& phase) {
  return {0.5f + 0.5f * std::cos(kTwoPi * (t + phase.r)), 0.5f + 0.5f * std::cos(kTwoPi * (t + phase.g)),
          0.5f + 0.5f * std::cos(kTwoPi * (t + phase.b))};
}

// A deterministic hash of a lattice point, in [0, 1).
float Hash(int x, int y, std::uint32_t seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<float>(h & 0xFFFFFF) / 16777216.0f;
}

float ValueNoise(float x, float y, std::uint32_t seed) {
  const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
  const float fx = x - static_cast<float>(ix), fy = y - static_cast<float>(iy);
  const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const float a = Hash(ix, iy, seed), b = Hash(ix + 1, iy, seed);
  const float c = Hash(ix, iy + 1, seed), d = Hash(ix + 1, iy + 1, seed);
  return a + (b - a) * sx + (c - a) * sy + (a - b - c + d) * sx * sy;
}

float Fbm(float x, float y, std::uint32_t seed, int octaves) {
  float sum = 0, amplitude = 0.5f;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * ValueNoise(x, y, seed + static_cast<std::uint32_t>(i));
    x = x * 2.03f + 17.1f;
    y = y * 2.03f - 9.7f;
    amplitude *= 0.5f;
  }
  return sum;
}

// Runs body(y) for every row, split over the machine's cores.
template <class Body>
void ForEachRow(int height, Body body) {
  const int workers = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 8);
  std::vector<std::thread> threads;
  for (int w = 0; w < workers; ++w) {
    threads.emplace_back([=] {
      for (int y = w; y < height; y += workers) body(y);
    });
  }
  for (auto& t : threads) t.join();
}

// Glass marbles heaped on a woven cloth: hundreds of balls of every colour,
// each shaded as a sphere with a rim, a swirl inside and a highlight, drawn
// back to front so they overlap like a real heap.
void DrawGlassMarbles(Gdiplus::Bitmap& picture) {
  const int w = picture.GetWidth(), h = picture.GetHeight();
  // The weave is a product of a wave across and a wave down: the waves are
  // taken once per column and once per row instead of at every pixel.
  std::vector<float> across(static_cast<size_t>(w));
  for (int x = 0; x < w; ++x) across[static_cast<size_t>(x)] = std::sin(x * 0.9f);
  ForEachRow(h, [&](int y) {
    std::uint32_t* row = picture.GetRow(y);
    const float down = std::sin(y * 0.9f);
    for (int x = 0; x < w; ++x) {
      const float weave = 0.5f + 0.25f * across[static_cast<size_t>(x)] * down;
      const float cloth = 0.55f + 0.35f * Fbm(x * 0.01f, y * 0.01f, 21, 4);
      row[x] = Pack({0.45f * cloth * (0.8f + 0.4f * weave), 0.12f * cloth, 0.2f * cloth * (0.8f + 0.4f * weave)});
    }
  });
  const float unit = std::max(w, h) / 1200.0f;
  const int count = std::clamp(w * h / 900, 40, 6000);
  for (int i = 0; i < count; ++i) {
    const float cx = Hash(i, 1, 77) * w, cy = Hash(i, 2, 77) * h;
    const float radius = unit * (12.0f + 34.0f * Hash(i, 3, 77) * Hash(i, 4, 77) + 6.0f * Hash(i, 5, 77));
    const Colour tint = CosinePalette(Hash(i, 6, 77), {0.0f, 0.33f, 0.67f});
    const Colour swirl = CosinePalette(Hash(i, 7, 77) + 0.5f, {0.0f, 0.33f, 0.67f});
    const float twist = 2.0f + 4.0f * Hash(i, 8, 77);
    const int x0 = std::max(0, static_cast<int>(cx - radius)), x1 = std::min(w - 1, static_cast<int>(cx + radius));
    const int y0 = std::max(0, static_cast<int>(cy - radius)), y1 = std::min(h - 1, static_cast<int>(cy + radius));
    for (int y = y0; y <= y1; ++y) {
      std::uint32_t* row = picture.GetRow(y);
      for (int x = x0; x <= x1; ++x) {
        const float dx = (x - cx) / radius, dy = (y - cy) / radius;
        const float d2 = dx * dx + dy * dy;
        if (d2 > 1.0f) continue;
        const float nz = std::sqrt(1.0f - d2);
        // Light from the top left; a rim darkens the edge of the glass.
        const float light = std::clamp(-0.5f * dx - 0.6f * dy + 0.62f * nz, 0.0f, 1.0f);
        const float angle = std::atan2(dy, dx) + twist * std::sqrt(d2);
        const float band = 0.5f + 0.5f * std::sin(3.0f * angle);
        Colour c{tint.r + (swirl.r - tint.r) * band * 0.7f, tint.g + (swirl.g - tint.g) * band * 0.7f,
                 tint.b + (swirl.b - tint.b) * band * 0.7f};
        const float shade = 0.25f + 0.85f * light;
        c = {c.r * shade, c.g * shade, c.b * shade};
        const float hx = dx + 0.38f, hy = dy + 0.42f;
        const float spot = std::exp(-(hx * hx + hy * hy) * 40.0f);
        const float edge = std::clamp((1.0f - d2) * 6.0f, 0.0f, 1.0f);
        c = {(c.r + spot) * (0.35f + 0.65f * edge), (c.g + spot) * (0.35f + 0.65f * edge),
             (c.b + spot) * (0.35f + 0.65f * edge)};
        // Soft anti-aliased border against what lies below.
        const float cover = std::clamp((1.0f - std::sqrt(d2)) * radius, 0.0f, 1.0f);
        const std::uint32_t below = row[x];
        const Colour under{((below >> 16) & 0xFF) / 255.0f, ((below >> 8) & 0xFF) / 255.0f, (below & 0xFF) / 255.0f};
        row[x] = Pack({under.r + (c.r - under.r) * cover, under.g + (c.g - under.g) * cover,
                       under.b + (c.b - under.b) * cover});
      }
    }
  }
}

// Leaded glass: cells around scattered seeds, each its own colour, lit from
// its middle and grained by noise, separated by dark lead where the two
// nearest seeds are almost equally near.
void DrawStainedGlass(Gdiplus::Bitmap& picture) {
  const int w = picture.GetWidth(), h = picture.GetHeight();
  struct Seed {
    float x, y;
    Colour colour;
  };
  const int count = std::clamp(w * h / 2600, 24, 2000);
  std::vector<Seed> seeds;
  seeds.reserve(count);
  for (int i = 0; i < count; ++i) {
    const float hue = Hash(i, 3, 41);
    seeds.push_back({Hash(i, 1, 41) * w, Hash(i, 2, 41) * h, CosinePalette(hue, {0.0f, 0.33f, 0.67f})});
  }
  // A coarse grid of buckets keeps the nearest-seed search local.
  const float cell = std::sqrt(static_cast<float>(w) * h / count) * 1.5f;
  const int gw = static_cast<int>(w / cell) + 1, gh = static_cast<int>(h / cell) + 1;
  std::vector<std::vector<int>> grid(static_cast<size_t>(gw * gh));
  for (int i = 0; i < count; ++i) {
    const int gx = std::min(gw - 1, static_cast<int>(seeds[i].x / cell));
    const int gy = std::min(gh - 1, static_cast<int>(seeds[i].y / cell));
    grid[static_cast<size_t>(gy * gw + gx)].push_back(i);
  }
  ForEachRow(h, [&](int y) {
    std::uint32_t* row = picture.GetRow(y);
    for (int x = 0; x < w; ++x) {
      const int gx = static_cast<int>(x / cell), gy = static_cast<int>(y / cell);
      float best = 1e30f, second = 1e30f;
      int nearest = 0, runnerUp = 0;
      auto visit = [&](int cx, int cy) {
        if (cx < 0 || cy < 0 || cx >= gw || cy >= gh) return;
        for (int i : grid[static_cast<size_t>(cy * gw + cx)]) {
          const float ddx = seeds[i].x - x, ddy = seeds[i].y - y;
          const float d = ddx * ddx + ddy * ddy;
          if (d < best) {
            second = best;
            runnerUp = nearest;
            best = d;
            nearest = i;
          } else if (d < second) {
            second = d;
            runnerUp = i;
          }
        }
      };
      // Buckets are searched ring by ring outwards. A seed beyond ring r is
      // at least as far as the pixel's distance to the edge of the searched
      // square, so once the two nearest found are closer than that, no
      // further ring can change them: the result is exactly that of a search
      // of every seed, at a fraction of the cost.
      const float inX = std::min(x - gx * cell, (gx + 1) * cell - x);
      const float inY = std::min(y - gy * cell, (gy + 1) * cell - y);
      const float inside = std::min(inX, inY);
      const int rings = std::max(gw, gh);
      for (int r = 0; r <= rings; ++r) {
        if (r == 0) {
          visit(gx, gy);
        } else {
          for (int d = -r; d <= r; ++d) {
            visit(gx + d, gy - r);
            visit(gx + d, gy + r);
          }
          for (int d = -r + 1; d <= r - 1; ++d) {
            visit(gx - r, gy + d);
            visit(gx + r, gy + d);
          }
        }
        const float reach = inside + r * cell;
        if (second <= reach * reach) break;
      }
      // The distance to the border between the two nearest cells, which is
      // the perpendicular bisector of their seeds.
      const float sx = seeds[nearest].x - seeds[runnerUp].x, sy = seeds[nearest].y - seeds[runnerUp].y;
      const float gap = std::max(1e-3f, std::sqrt(sx * sx + sy * sy));
      const float edge = (second - best) / (2 * gap);
      const float glow = std::exp(-std::sqrt(best) / (cell * 0.9f));
      const float grain = 0.75f + 0.5f * Fbm(x * 0.08f, y * 0.08f, 7, 3);
      const Colour& vivid = seeds[nearest].colour;
      const Colour base{0.15f + 0.8f * vivid.r, 0.15f + 0.8f * vivid.g, 0.15f + 0.8f * vivid.b};
      Colour c{base.r * (0.35f + 0.75f * glow) * grain, base.g * (0.35f + 0.75f * glow) * grain,
               base.b * (0.35f + 0.75f * glow) * grain};
      if (edge < 3.0f) {
        const float lead = 0.12f + 0.1f * Fbm(x * 0.3f, y * 0.3f, 9, 2);
        const float k = std::clamp((3.0f - edge) / 1.2f, 0.0f, 1.0f);
        c = {c.r + (lead - c.r) * k, c.g + (lead - c.g) * k, c.b + (lead - c.b) * k};
      }
      row[x] = Pack(c);
    }
  });
}

// Swirling paint: noise whose coordinates are bent by noise twice over,
// coloured through a warm-and-cool ramp and streaked by finer noise.
void DrawPaintSwirls(Gdiplus::Bitmap& picture) {
  const int w = picture.GetWidth(), h = picture.GetHeight();
  const float k = 4.0f / std::max(w, h);
  // The two bending fields change slowly (their finest detail spans about
  // thirty pixels), so they are computed on a grid every kStep pixels and
  // interpolated between; only the final noise and the brush texture, which
  // carry the fine detail, are computed for every pixel. That is two thirds
  // of the work saved, with no difference the eye can find.
  constexpr int kStep = 4;
  const int gw = w / kStep + 2, gh = h / kStep + 2;
  struct Bend {
    float qx, rx, ry;
  };
  std::vector<Bend> grid(static_cast<size_t>(gw) * static_cast<size_t>(gh));
  ForEachRow(gh, [&](int gy) {
    for (int gx = 0; gx < gw; ++gx) {
      const float px = static_cast<float>(gx * kStep) * k, py = static_cast<float>(gy * kStep) * k;
      const float qx = Fbm(px, py, 11, 4), qy = Fbm(px + 5.2f, py + 1.3f, 12, 4);
      grid[static_cast<size_t>(gy) * gw + gx] = {qx, Fbm(px + 4 * qx + 1.7f, py + 4 * qy + 9.2f, 13, 4),
                                                 Fbm(px + 4 * qx + 8.3f, py + 4 * qy + 2.8f, 14, 4)};
    }
  });
  ForEachRow(h, [&](int y) {
    std::uint32_t* row = picture.GetRow(y);
    const int gy = y / kStep;
    const float ty = static_cast<float>(y - gy * kStep) / kStep;
    for (int x = 0; x < w; ++x) {
      const int gx = x / kStep;
      const float tx = static_cast<float>(x - gx * kStep) / kStep;
      const Bend& a = grid[static_cast<size_t>(gy) * gw + gx];
      const Bend& b = grid[static_cast<size_t>(gy) * gw + gx + 1];
      const Bend& c0 = grid[static_cast<size_t>(gy + 1) * gw + gx];
      const Bend& d = grid[static_cast<size_t>(gy + 1) * gw + gx + 1];
      auto lerp = [&](float Bend::*field) {
        const float top = a.*field + (b.*field - a.*field) * tx;
        const float bottom = c0.*field + (d.*field - c0.*field) * tx;
        return top + (bottom - top) * ty;
      };
      const float qx = lerp(&Bend::qx), rx = lerp(&Bend::rx), ry = lerp(&Bend::ry);
      const float px = x * k, py = y * k;
      const float f = Fbm(px + 4 * rx, py + 4 * ry, 15, 4);
      Colour c = CosinePalette(f * 1.6f + 0.3f * qx, {0.05f, 0.25f, 0.55f});
      // Brush texture: fine noise that follows the swirl's own direction.
      const float brush = 0.85f + 0.3f * Fbm(px * 24 + 6 * rx, py * 24 + 6 * ry, 16, 3);
      c = {c.r * brush, c.g * brush, c.b * brush};
      row[x] = Pack(c);
    }
  });
}

}  // namespace

std::string GetSamplePictureTitle(int index) {
  static const std::array<const char*, kSamplePictureCount> kTitles = {"Glass Marbles", "Stained Glass", "Paint Swirls"};
  return index >= 0 && index < kSamplePictureCount ? kTitles[static_cast<size_t>(index)] : "";
}

std::unique_ptr<Gdiplus::Bitmap> MakeSamplePicture(int index, int width, int height) {
  if (index < 0 || index >= kSamplePictureCount || width <= 0 || height <= 0) return nullptr;
  auto picture = std::make_unique<Gdiplus::Bitmap>(width, height, Gdiplus::PixelFormat::Format24bppRGB);
  if (picture->GetWidth() != width || picture->GetHeight() != height) return nullptr;
  switch (index) {
    case 0: DrawGlassMarbles(*picture); break;
    case 1: DrawStainedGlass(*picture); break;
    default: DrawPaintSwirls(*picture); break;
  }
  picture->MarkDirty();
  return picture;
}

}  // namespace app
