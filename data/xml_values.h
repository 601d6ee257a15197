#pragma once
// The small reusable value elements: a point or a size, integer or real,
// written as one empty-element line with two attributes and read back from
// the attributes of that same element. A record that meets the element's
// name pushes the value's handler; the handler receives that opening element
// itself. Attributes that are missing or hold no number leave the field as
// it was.

#include <string_view>

#include "data/xml.h"
#include "platform/types.h"

class CRSXMLPoint : public CRSXMLParser::XHandler, public Point {
 public:
  static constexpr std::string_view kTag = "point";
  CRSXMLPoint() { SetReceivesOpeningElement(true); }
  CRSXMLPoint(int x, int y) : Point(x, y) { SetReceivesOpeningElement(true); }
  void OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                 const std::string& text) override;
  // <point x="%d" y="%d" />
  void Write(CRSXMLWriter& out) override { Write(out, kTag); }
  void Write(CRSXMLWriter& out, std::string_view tag) const;
};

class CRSXMLPointF : public CRSXMLParser::XHandler, public PointF {
 public:
  static constexpr std::string_view kTag = "pointf";
  CRSXMLPointF() { SetReceivesOpeningElement(true); }
  CRSXMLPointF(float x, float y) : PointF(x, y) { SetReceivesOpeningElement(true); }
  explicit CRSXMLPointF(const PointF& p) : PointF(p) { SetReceivesOpeningElement(true); }
  CRSXMLPointF& operator=(const PointF& p) {
    X = p.X;
    Y = p.Y;
    return *this;
  }
  void OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                 const std::string& text) override;
  // <pointf x="%.2f" y="%.2f" />
  void Write(CRSXMLWriter& out) override { Write(out, kTag); }
  void Write(CRSXMLWriter& out, std::string_view tag) const;
};

class CRSXMLSize : public CRSXMLParser::XHandler, public Size {
 public:
  static constexpr std::string_view kTag = "size";
  CRSXMLSize() { SetReceivesOpeningElement(true); }
  CRSXMLSize(int w, int h) : Size(w, h) { SetReceivesOpeningElement(true); }
  void OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                 const std::string& text) override;
  // <size w="%d" h="%d" />
  void Write(CRSXMLWriter& out) override { Write(out, kTag); }
  void Write(CRSXMLWriter& out, std::string_view tag) const;
};

class CRSXMLSizeF : public CRSXMLParser::XHandler, public SizeF {
 public:
  static constexpr std::string_view kTag = "sizef";
  CRSXMLSizeF() { SetReceivesOpeningElement(true); }
  CRSXMLSizeF(float w, float h) : SizeF(w, h) { SetReceivesOpeningElement(true); }
  explicit CRSXMLSizeF(const SizeF& s) : SizeF(s) { SetReceivesOpeningElement(true); }
  CRSXMLSizeF& operator=(const SizeF& s) {
    Width = s.Width;
    Height = s.Height;
    return *this;
  }
  void OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                 const std::string& text) override;
  // <sizef w="%.2f" h="%.2f" />
  void Write(CRSXMLWriter& out) override { Write(out, kTag); }
  void Write(CRSXMLWriter& out, std::string_view tag) const;
};
