// The `puzzle-cuts` element: what is written, that reading it back restores
// the cut, and that hostile values neither crash nor make the grid grow
// without bound. Also the two notices the cutter sends.

#include <gtest/gtest.h>

#include <string>

#include "data/cutter.h"
#include "data/xml.h"
#include "data/xml_writer.h"
#include "platform/random.h"

namespace {

// Stands in for the puzzle file, which hands `puzzle-cuts` to its cutter.
class Owner : public CRSXMLParser::XHandler {
 public:
  explicit Owner(CPuzzleCutter& cutter) : m_cutter(cutter) {}
  void OnElement(const std::string& name, const CRSXMLParser::Attributes&, const std::string&) override {
    if (name == "puzzle-cuts" || name == "PUZZLE-CUTS") GetParser()->PushHandler(&m_cutter);
  }

 private:
  CPuzzleCutter& m_cutter;
};

int Read(CPuzzleCutter& cutter, const std::string& text) {
  cutter.Reset();
  Owner owner(cutter);
  CRSXMLParser parser;
  return parser.ParseText("<puzzle>\n" + text + "</puzzle>\n", &owner);
}

std::string Written(const CPuzzleCutter& cutter) {
  CRSXMLWriter out;
  cutter.Write(out);
  return out.GetBytes();
}

TEST(CutterXml, WritesTheElementLineByLine) {
  platform::SeedRand(8);
  CPuzzleCutter cutter;
  cutter.SetImageSize(170, 90);  // piece size (45 + 40) / 2 = 42: 4 x 2
  const std::string text = Written(cutter);
  const auto& p = cutter.GetGrid()[1][1];
  char point[200];
  std::snprintf(point, sizeof point,
                "<topleft-cuts x=\"1\" y=\"1\">\r\n<pointf x=\"%.2f\" y=\"%.2f\" />\r\n"
                "<shapedirtop bool=\"%d\" int=\"6\"/>\r\n<shapedirleft bool=\"%d\" int=\"6\"/>\r\n"
                "</topleft-cuts>\r\n",
                p.jitter.X, p.jitter.Y, p.topDirection ? 1 : 0, p.leftDirection ? 1 : 0);
  EXPECT_EQ(text.rfind("<puzzle-cuts>\r\n<size w=\"170\" h=\"90\" />\r\n<piece-size>42</piece-size>\r\n"
                       "<deviation>0.50000</deviation>\r\n<shape-type>6</shape-type>\r\n"
                       "<topleft-cuts x=\"0\" y=\"0\">\r\n<pointf x=\"0.00\" y=\"0.00\" />\r\n",
                       0),
            0u);
  EXPECT_NE(text.find(point), std::string::npos) << text;
  EXPECT_NE(text.find("<topleft-cuts x=\"4\" y=\"2\">"), std::string::npos);
  EXPECT_EQ(text.find("<topleft-cuts x=\"5\""), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 16), "</puzzle-cuts>\r\n");
}

TEST(CutterXml, ReadingBackRestoresTheGridAndTheOutlines) {
  platform::SeedRand(77);
  CPuzzleCutter original;
  original.SetImageSize(640, 480);
  original.SetPieceSize(70);
  original.SetDeviation(0.8f);
  original.SetShapeType(7);
  // Jitter is kept to two decimals; start from a cut that already is.
  CPuzzleCutter rounded;
  ASSERT_EQ(Read(rounded, Written(original)), CRSXMLParser::kSuccess);
  const std::string text = Written(rounded);

  CPuzzleCutter reread;
  ASSERT_EQ(Read(reread, text), CRSXMLParser::kSuccess);
  EXPECT_TRUE(reread.IsValid());
  EXPECT_EQ(reread.GetImageSize(), Size(640, 480));
  EXPECT_EQ(reread.GetPieceSize(), 70);
  EXPECT_FLOAT_EQ(reread.GetDeviation(), 0.8f);
  EXPECT_EQ(reread.GetShapeType(), 7);
  EXPECT_EQ(Written(reread), text);

  const auto& a = original.GetGrid();
  const auto& b = reread.GetGrid();
  ASSERT_EQ(a.size(), b.size());
  for (size_t y = 0; y < a.size(); ++y) {
    ASSERT_EQ(a[y].size(), b[y].size());
    for (size_t x = 0; x < a[y].size(); ++x) {
      EXPECT_NEAR(a[y][x].jitter.X, b[y][x].jitter.X, 0.005f);
      EXPECT_NEAR(a[y][x].jitter.Y, b[y][x].jitter.Y, 0.005f);
      EXPECT_EQ(a[y][x].topDirection, b[y][x].topDirection);
      EXPECT_EQ(a[y][x].leftShape, b[y][x].leftShape);
    }
  }
  const auto& pa = rounded.GetCutsPath().Points();
  const auto& pb = reread.GetCutsPath().Points();
  ASSERT_EQ(pa.size(), pb.size());
  for (size_t i = 0; i < pa.size(); ++i) EXPECT_TRUE(pa[i].Equals(pb[i])) << i;
  const Size grid = reread.GetGridSize();
  const auto oa = rounded.GetPieceOutline(grid.Width - 1, grid.Height - 1);
  const auto ob = reread.GetPieceOutline(grid.Width - 1, grid.Height - 1);
  ASSERT_EQ(oa.size(), ob.size());
  for (size_t i = 0; i < oa.size(); ++i) EXPECT_TRUE(oa[i].Equals(ob[i])) << i;
}

TEST(CutterXml, NamesAreReadWithoutRegardToCaseAndShapesPerEdge) {
  CPuzzleCutter cutter;
  ASSERT_EQ(Read(cutter,
                 "<PUZZLE-CUTS><Size W=\"100\" H=\"50\" /><Piece-Size>50</Piece-Size>"
                 "<topleft-cuts x=\"0\" y=\"0\"><SHAPEDIRTOP bool=\"7\" int=\"0\"/></topleft-cuts>"
                 "<topleft-cuts x=\"1\" y=\"0\"><shapedirleft bool=\"0\" int=\"3\"/></topleft-cuts>"
                 "<topleft-cuts x=\"2\" y=\"1\"><pointf x=\"0.25\" y=\"-0.5\" /></topleft-cuts>"
                 "</PUZZLE-CUTS>"),
            CRSXMLParser::kSuccess);
  const auto& g = cutter.GetGrid();
  ASSERT_EQ(g.size(), 2u);
  ASSERT_EQ(g[0].size(), 3u);
  ASSERT_EQ(g[1].size(), 3u);
  EXPECT_TRUE(cutter.IsValid());
  EXPECT_TRUE(g[0][0].topDirection);
  EXPECT_FALSE(g[0][1].leftDirection);
  EXPECT_EQ(g[0][1].leftShape, 3);
  EXPECT_EQ(g[1][2].jitter.X, 0.25f);
  EXPECT_EQ(g[1][2].jitter.Y, -0.5f);
  // The zigzag read for that one edge is the edge that is cut.
  EXPECT_GT(cutter.GetLeftEdge(1, 0)->GetPolyline().size(), 2u);
}

TEST(CutterXml, HostileValuesAreRefusedOrHeld) {
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"negative size", "<size w=\"-1000\" h=\"-700\" /><piece-size>84</piece-size>"},
      {"enormous size", "<size w=\"2000000000\" h=\"2000000000\" /><piece-size>40</piece-size>"},
      {"piece size 1", "<size w=\"30000\" h=\"30000\" /><piece-size>1</piece-size>"},
      {"piece size 0", "<size w=\"1000\" h=\"700\" /><piece-size>0</piece-size>"},
      {"far point", "<size w=\"1000\" h=\"700\" /><piece-size>84</piece-size>"
                    "<topleft-cuts x=\"2000000000\" y=\"2000000000\"><pointf x=\"1\" y=\"1\" /></topleft-cuts>"},
      {"far point, no size", "<topleft-cuts x=\"2000000000\" y=\"3\" /><topleft-cuts x=\"-4\" y=\"-4\" />"},
      {"not numbers", "<size w=\"wide\" h=\"tall\" /><piece-size>big</piece-size><deviation>much</deviation>"
                      "<shape-type>round</shape-type><topleft-cuts x=\"a\" y=\"b\" />"},
  };
  for (const Case& c : cases) {
    CPuzzleCutter cutter;
    Read(cutter, "<puzzle-cuts>" + c.text + "</puzzle-cuts>");
    EXPECT_FALSE(cutter.IsValid()) << c.what;
    EXPECT_LE(cutter.GetGrid().size(), 1u) << c.what;
    EXPECT_TRUE(cutter.GetCutsPath().IsEmpty()) << c.what;
    Bitmap picture(200, 200, PixelFormat::Format24bppRGB);
    auto cut = cutter.GetCutImage(picture);
    EXPECT_FALSE(cutter.GetPieceImage(cut ? *cut : picture, 0, 0).bitmap) << c.what;
  }

  // Jitter and irregularity beyond their ranges are held to them, so that
  // no piece can reach far outside its cell.
  CPuzzleCutter cutter;
  Read(cutter,
       "<puzzle-cuts><size w=\"100\" h=\"50\" /><piece-size>50</piece-size><deviation>1e30</deviation>"
       "<topleft-cuts x=\"0\" y=\"0\" /><topleft-cuts x=\"1\" y=\"0\"><pointf x=\"nan\" y=\"inf\" /></topleft-cuts>"
       "<topleft-cuts x=\"1\" y=\"1\"><pointf x=\"-1e9\" y=\"5\" /></topleft-cuts>"
       "<topleft-cuts x=\"2\" y=\"1\" /></puzzle-cuts>");
  ASSERT_TRUE(cutter.IsValid());
  EXPECT_EQ(cutter.GetDeviation(), 1.0f);
  EXPECT_EQ(cutter.GetGrid()[0][1].jitter.X, 0.0f);
  EXPECT_EQ(cutter.GetGrid()[1][1].jitter.X, -1.0f);
  EXPECT_EQ(cutter.GetGrid()[1][1].jitter.Y, 1.0f);
  const RectF bounds = cutter.GetPieceBounds(1, 0);
  EXPECT_LT(bounds.Width, 100.0f);
  EXPECT_LT(bounds.Height, 100.0f);
}

TEST(CutterXml, MissingPointsMakeTheCutUnreadable) {
  CPuzzleCutter cutter;
  Read(cutter,
       "<puzzle-cuts><size w=\"100\" h=\"50\" /><piece-size>50</piece-size>"
       "<topleft-cuts x=\"1\" y=\"1\" /></puzzle-cuts>");
  EXPECT_FALSE(cutter.IsValid());  // 2 x 2 points read, 3 x 2 needed
  EXPECT_TRUE(cutter.GetPieceOutline(0, 0).empty());
}

class Listener : public sigslot::has_slots {
 public:
  void OnGrid(Size s) { grids.push_back(s); }
  void OnPath(const GraphicsPath& path) {
    paths.push_back(path.GetPointCount());
    int starts = 0;
    for (std::uint8_t t : path.Types()) starts += (t & Gdiplus::PathPointTypePathTypeMask) == 0;
    figures.push_back(starts);
  }
  std::vector<Size> grids;
  std::vector<int> paths;
  std::vector<int> figures;
};

TEST(CutterSignals, ChangesAnnounceTheGridAndTheOutline) {
  CPuzzleCutter cutter;
  Listener listener;
  cutter.sigGridSize.connect(&listener, &Listener::OnGrid);
  cutter.sigCutsPath.connect(&listener, &Listener::OnPath);

  cutter.SetImageSize(1000, 700);
  ASSERT_EQ(listener.grids.size(), 1u);
  EXPECT_EQ(listener.grids.back(), Size(5, 3));
  ASSERT_FALSE(listener.paths.empty());
  EXPECT_GT(listener.paths.back(), 0);

  listener.paths.clear();
  cutter.SetPieceSize(84);
  EXPECT_EQ(listener.grids.back(), Size(11, 8));
  EXPECT_EQ(listener.paths.size(), 1u);

  // Unchanged values announce nothing.
  const size_t grids = listener.grids.size(), paths = listener.paths.size();
  cutter.SetPieceSize(84);
  cutter.SetDeviation(0.5f + 0.0004f);
  cutter.SetShapeType(6);
  cutter.SetImageSize(1000, 700);
  EXPECT_EQ(listener.grids.size(), grids);
  EXPECT_EQ(listener.paths.size(), paths);

  // Irregularity and shape change the outline but not the grid; the
  // jitter stays, so the cuts move smoothly with the slider.
  const PointF before = cutter.GetPointPosition(2, 2);
  cutter.SetDeviation(0.51f);
  EXPECT_NEAR(cutter.GetPointPosition(2, 2).X, before.X, 0.5f);
  EXPECT_NEAR(cutter.GetPointPosition(2, 2).Y, before.Y, 0.5f);
  cutter.SetDeviation(0.2f);
  cutter.SetShapeType(0);
  EXPECT_EQ(listener.grids.size(), grids);
  EXPECT_EQ(listener.paths.size(), paths + 3);
  // Straight edges: two points a figure, one figure an edge.
  EXPECT_EQ(listener.paths.back(), 2 * (12 * 8 + 11 * 9));
  EXPECT_EQ(listener.figures.back(), 12 * 8 + 11 * 9);
}

TEST(CutterShapes, ShapePathsStartAndEndOnTheUnitLine) {
  for (int type = -1; type <= 8; ++type) {
    auto [name, path] = CPuzzleCutter::GetShape(type);
    EXPECT_FALSE(name.empty());
    PointF last;
    path.GetLastPoint(&last);
    EXPECT_TRUE(path.Points().front().Equals(PointF(0, 0))) << type;
    EXPECT_TRUE(last.Equals(PointF(100, 0))) << type;
    RectF bounds;
    path.GetBounds(&bounds);
    EXPECT_EQ(bounds.Width, 100.0f) << type;
  }
  // One figure, so a tab is drawn as one line.
  auto classic = CPuzzleCutter::GetShape(6).second;
  int starts = 0;
  for (std::uint8_t t : classic.Types()) starts += (t & Gdiplus::PathPointTypePathTypeMask) == 0;
  EXPECT_EQ(starts, 1);
}

}  // namespace
