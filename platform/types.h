#pragma once
// Value types shared by every layer: points, sizes and rectangles in the
// graphics facade's meaning (single precision for the canvas, integers where
// files hold them), and 32-bit ARGB colours.

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace Gdiplus {

using ARGB = std::uint32_t;

// Two canvas coordinates count as equal when they differ by less than this.
inline constexpr float kFloatTolerance = 0.001f;

inline bool NearlyEqual(float a, float b) { return std::fabs(a - b) < kFloatTolerance; }

struct PointF {
  float X = 0.0f;
  float Y = 0.0f;

  PointF() = default;
  PointF(float x, float y) : X(x), Y(y) {}

  bool Equals(const PointF& other) const { return NearlyEqual(X, other.X) && NearlyEqual(Y, other.Y); }
  PointF operator+(const PointF& o) const { return {X + o.X, Y + o.Y}; }
  PointF operator-(const PointF& o) const { return {X - o.X, Y - o.Y}; }
};

struct SizeF {
  float Width = 0.0f;
  float Height = 0.0f;

  SizeF() = default;
  SizeF(float w, float h) : Width(w), Height(h) {}

  bool Equals(const SizeF& other) const {
    return NearlyEqual(Width, other.Width) && NearlyEqual(Height, other.Height);
  }
  bool Empty() const { return Width == 0.0f && Height == 0.0f; }
};

struct Point {
  int X = 0;
  int Y = 0;

  Point() = default;
  Point(int x, int y) : X(x), Y(y) {}
  bool operator==(const Point&) const = default;
};

struct Size {
  int Width = 0;
  int Height = 0;

  Size() = default;
  Size(int w, int h) : Width(w), Height(h) {}
  bool operator==(const Size&) const = default;
};

struct Rect {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;

  Rect() = default;
  Rect(int x, int y, int w, int h) : X(x), Y(y), Width(w), Height(h) {}
  bool operator==(const Rect&) const = default;

  int GetLeft() const { return X; }
  int GetTop() const { return Y; }
  int GetRight() const { return X + Width; }
  int GetBottom() const { return Y + Height; }
  bool IsEmptyArea() const { return Width <= 0 || Height <= 0; }
  bool Contains(int x, int y) const { return x >= X && x < X + Width && y >= Y && y < Y + Height; }
};

struct RectF {
  float X = 0.0f;
  float Y = 0.0f;
  float Width = 0.0f;
  float Height = 0.0f;

  RectF() = default;
  RectF(float x, float y, float w, float h) : X(x), Y(y), Width(w), Height(h) {}
  RectF(const PointF& p, const SizeF& s) : X(p.X), Y(p.Y), Width(s.Width), Height(s.Height) {}

  float GetLeft() const { return X; }
  float GetTop() const { return Y; }
  float GetRight() const { return X + Width; }
  float GetBottom() const { return Y + Height; }
  PointF GetLocation() const { return {X, Y}; }
  SizeF GetSize() const { return {Width, Height}; }
  bool IsEmptyArea() const { return Width <= 0.0f || Height <= 0.0f; }

  bool Equals(const RectF& o) const {
    return NearlyEqual(X, o.X) && NearlyEqual(Y, o.Y) && NearlyEqual(Width, o.Width) &&
           NearlyEqual(Height, o.Height);
  }
  bool Contains(float x, float y) const { return x >= X && x < X + Width && y >= Y && y < Y + Height; }
  bool Contains(const PointF& p) const { return Contains(p.X, p.Y); }
  bool IntersectsWith(const RectF& o) const {
    return GetLeft() < o.GetRight() && o.GetLeft() < GetRight() && GetTop() < o.GetBottom() &&
           o.GetTop() < GetBottom();
  }
  void Offset(float dx, float dy) { X += dx; Y += dy; }
  void Inflate(float dx, float dy) { X -= dx; Y -= dy; Width += 2 * dx; Height += 2 * dy; }

  // The overlap of a and b; an empty rectangle (and false) when they do not meet.
  static bool Intersect(RectF& out, const RectF& a, const RectF& b) {
    float l = std::max(a.GetLeft(), b.GetLeft()), t = std::max(a.GetTop(), b.GetTop());
    float r = std::min(a.GetRight(), b.GetRight()), btm = std::min(a.GetBottom(), b.GetBottom());
    out = RectF(l, t, r - l, btm - t);
    if (out.IsEmptyArea()) { out = RectF(); return false; }
    return true;
  }
  // The smallest rectangle holding both a and b.
  static bool Union(RectF& out, const RectF& a, const RectF& b) {
    float l = std::min(a.GetLeft(), b.GetLeft()), t = std::min(a.GetTop(), b.GetTop());
    float r = std::max(a.GetRight(), b.GetRight()), btm = std::max(a.GetBottom(), b.GetBottom());
    out = RectF(l, t, r - l, btm - t);
    return !out.IsEmptyArea();
  }
};

inline constexpr std::uint8_t AlphaOf(ARGB c) { return static_cast<std::uint8_t>(c >> 24); }
inline constexpr std::uint8_t RedOf(ARGB c) { return static_cast<std::uint8_t>(c >> 16); }
inline constexpr std::uint8_t GreenOf(ARGB c) { return static_cast<std::uint8_t>(c >> 8); }
inline constexpr std::uint8_t BlueOf(ARGB c) { return static_cast<std::uint8_t>(c); }
inline constexpr ARGB MakeARGB(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return (ARGB(a) << 24) | (ARGB(r) << 16) | (ARGB(g) << 8) | ARGB(b);
}

}  // namespace Gdiplus

// The canvas code names these types without the namespace.
using Gdiplus::ARGB;
using Gdiplus::Point;
using Gdiplus::PointF;
using Gdiplus::Rect;
using Gdiplus::RectF;
using Gdiplus::Size;
using Gdiplus::SizeF;
