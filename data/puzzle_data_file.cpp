// The puzzle file: the "puzzle-data" element, where it lives, and how it is
// read, checked and written.

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cmath>
#include <set>
#include <utility>

#include "platform/paths.h"
#include "data/base64.h"
#include "data/embed.h"
#include "data/numbers.h"
#include "data/puzzle_data.h"
#include "data/xml_text.h"
#include "data/xml_writer.h"
#include "platform/files.h"

namespace {

std::string& FolderOverride() {
  static std::string folder;
  return folder;
}

// A file cannot hold more piece records than a grid can have cells; this
// keeps a hostile file from making us build millions of records.
constexpr std::size_t kMaxPieceRecords = 1u << 17;

// Positions beyond this are not places on any canvas.
constexpr float kMaxCoordinate = 1.0e6f;

// Takes the rest of an element that is being skipped.
class CIgnoreElement : public CRSXMLParser::XHandler {};

CIgnoreElement g_ignore;

bool Finite(float v) { return std::isfinite(v) && std::fabs(v) <= kMaxCoordinate; }

// True when the cut picture at this scale is at least a pixel on each side
// and within what the drawing library and the pixel budget allow.
bool ScaledCutFits(Size cut, float scale) {
  const double w = cut.Width * static_cast<double>(scale), h = cut.Height * static_cast<double>(scale);
  return w >= 1.0 && h >= 1.0 && w <= Gdiplus::Bitmap::kMaxSide && h <= Gdiplus::Bitmap::kMaxSide &&
         w * h <= CPuzzleData::kMaxCutPixels;
}

constexpr std::string_view kTableViewTag = "table-view";
constexpr std::string_view kFullPictureTag = "full-picture";
constexpr std::string_view kTrayTag = "tray";
// Scales and window sides a tray may have; beyond them a file's tray takes
// the nearest.
constexpr float kMinTrayScale = 0.05f;
constexpr float kMaxTrayScale = 2.0f;
constexpr float kMaxTraySide = 16384.0f;

// Reads the whole view or nothing: an attribute that is there but holds no
// number leaves the view at the default. Ranges are judged in Validate,
// once the picture is known.
void ReadTableView(const CRSXMLParser::Attributes& attributes, CPuzzleTableView& view) {
  CPuzzleTableView read;
  float* fields[] = {&read.zoom, &read.viewOrigin.X, &read.viewOrigin.Y, &read.tableSize.Width,
                     &read.tableSize.Height};
  const char* names[] = {"zoom", "x", "y", "w", "h"};
  for (std::size_t i = 0; i < std::size(names); ++i) {
    const std::string* value = xmltext::FindAttribute(attributes, names[i]);
    if (value && !xmltext::ParseFloat(*value, *fields[i])) return;
  }
  view = read;
}

void WriteTableView(CRSXMLWriter& out, const CPuzzleTableView& view) {
  out.Write("<" + std::string(kTableViewTag) + " zoom=\"" + numtext::FormatGeneral(view.zoom) + "\" x=\"" +
            FormatReal(view.viewOrigin.X) + "\" y=\"" + FormatReal(view.viewOrigin.Y) + "\" w=\"" +
            FormatReal(view.tableSize.Width) + "\" h=\"" + FormatReal(view.tableSize.Height) + "\" />\n");
}

// One tray: title (Base64, so that any letters survive), window, scale and
// the pieces as "column,row" pairs. Numbers that are not numbers take their
// defaults; the ranges are judged in Validate.
void ReadTray(const CRSXMLParser::Attributes& attributes, std::vector<CPuzzleTrayData>& trays,
              std::size_t maxCells) {
  if (trays.size() >= CPuzzleTrayData::kMaxTrays) return;
  CPuzzleTrayData tray;
  if (const std::string* title = xmltext::FindAttribute(attributes, "title")) tray.title = xmltext::TextFromBase64(*title);
  float* fields[] = {&tray.place.X, &tray.place.Y, &tray.place.Width, &tray.place.Height, &tray.scale};
  const char* names[] = {"x", "y", "w", "h", "scale"};
  for (std::size_t i = 0; i < std::size(names); ++i) {
    float value = 0.0f;
    const std::string* text = xmltext::FindAttribute(attributes, names[i]);
    if (text && xmltext::ParseFloat(*text, value)) *fields[i] = value;
  }
  if (const std::string* pieces = xmltext::FindAttribute(attributes, "pieces")) {
    const char* p = pieces->c_str();
    while (*p && tray.cells.size() < maxCells) {
      char* end = nullptr;
      const long column = std::strtol(p, &end, 10);
      if (end == p || *end != ',') break;
      p = end + 1;
      const long row = std::strtol(p, &end, 10);
      if (end == p) break;
      p = end;
      while (*p == ' ') ++p;
      if (column >= 0 && row >= 0 && column < INT_MAX && row < INT_MAX)
        tray.cells.push_back(Point(static_cast<int>(column), static_cast<int>(row)));
    }
  }
  trays.push_back(std::move(tray));
}

void WriteTray(CRSXMLWriter& out, const CPuzzleTrayData& tray) {
  std::string line = "<" + std::string(kTrayTag) + " title=\"" + Base64Encode(tray.title) + "\" x=\"" +
                     FormatReal(tray.place.X) + "\" y=\"" + FormatReal(tray.place.Y) + "\" w=\"" +
                     FormatReal(tray.place.Width) + "\" h=\"" + FormatReal(tray.place.Height) + "\" scale=\"" +
                     numtext::FormatGeneral(tray.scale) + "\" pieces=\"";
  for (std::size_t i = 0; i < tray.cells.size(); ++i) {
    if (i) line += ' ';
    line += numtext::FormatInt(tray.cells[i].X) + "," + numtext::FormatInt(tray.cells[i].Y);
  }
  out.Write(line + "\" />\n");
}

// Keeps each cell of the grid in one tray at most (the first that names
// it) and brings places and scales within what a window can show.
void ValidateTrays(std::vector<CPuzzleTrayData>& trays, Size grid) {
  std::set<std::pair<int, int>> seen;
  for (CPuzzleTrayData& tray : trays) {
    std::erase_if(tray.cells, [&](const Point& cell) {
      if (cell.X < 0 || cell.Y < 0 || cell.X >= grid.Width || cell.Y >= grid.Height) return true;
      return !seen.insert({cell.X, cell.Y}).second;
    });
    const auto clampOr = [](float v, float low, float high, float fallback) {
      return std::isfinite(v) ? std::clamp(v, low, high) : fallback;
    };
    tray.scale = clampOr(tray.scale, kMinTrayScale, kMaxTrayScale, 0.5f);
    tray.place.X = clampOr(tray.place.X, -kMaxTraySide, kMaxTraySide, 0.0f);
    tray.place.Y = clampOr(tray.place.Y, -kMaxTraySide, kMaxTraySide, 0.0f);
    tray.place.Width = clampOr(tray.place.Width, 0.0f, kMaxTraySide, 0.0f);
    tray.place.Height = clampOr(tray.place.Height, 0.0f, kMaxTraySide, 0.0f);
  }
}

}  // namespace

std::string CPuzzleData::GetPuzzleFolder() {
  const std::string& folder = FolderOverride();
  if (!folder.empty()) return folder;
  return platform::GetDataDirectory() + "puzzles/";
}

void CPuzzleData::SetPuzzleFolder(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  FolderOverride() = std::move(folder);
}

std::string CPuzzleData::GetPuzzleFileName(std::string_view name) {
  return GetPuzzleFolder() + platform::SafeFileStem(name) + ".pzl";
}

namespace {
bool s_puzzleFilesWritable = true;
}  // namespace

void CPuzzleData::SetPuzzleFilesWritable(bool writable) { s_puzzleFilesWritable = writable; }
bool CPuzzleData::ArePuzzleFilesWritable() { return s_puzzleFilesWritable; }

bool DeletePuzzleFile(std::string_view name) {
  if (!CPuzzleData::ArePuzzleFilesWritable()) return false;
  return platform::RemoveFile(CPuzzleData::GetPuzzleFileName(name));
}

bool CPuzzleData::Load() {
  // The puzzle stays the one its library entry names, whatever name the
  // file holds inside (a stranger's file, or one renamed by hand): Save
  // then writes back to the file it was read from, where the next Play
  // looks. Reading needs no folder, so none is made: a copy of the game
  // that may not write leaves the data folder as it found it.
  const std::string name = m_name;
  const bool read = Parse(true, GetPuzzleFileName(name)) == CRSXMLParser::kSuccess && Validate();
  m_name = name;
  return read;
}

bool CPuzzleData::LoadFromText(std::string_view text) {
  return Parse(false, text) == CRSXMLParser::kSuccess && Validate();
}

void CPuzzleData::ResetForReading() {
  // The cutter's reset puts its scale back to 1; the puzzle's scale follows,
  // so a file without a size scale reads as scale 1 on both.
  m_cutter.Reset();
  m_sizeScale = 1.0f;
  m_pieces.clear();
  PiecesChanged();
  m_picture.reset();
  m_pictureText.clear();
  m_musicData.clear();
  m_completed = m_rotatePieces = m_surprise = m_fullPicture = false;
  m_tableView = CPuzzleTableView();
  m_trays.clear();
  m_sawRoot = false;
}

int CPuzzleData::Parse(bool fromFile, std::string_view text) {
  ResetForReading();
  CRSXMLParser parser;
  return fromFile ? parser.ParseFile(std::string(text), this) : parser.ParseText(text, this);
}

bool CPuzzleData::Validate() {
  if (!m_sawRoot || !m_picture || !m_cutter.IsValid()) return false;
  // The cut must lie inside the picture, and the scaled cut picture must be
  // one the drawing library can hold without eating the machine.
  const Size cut = m_cutter.GetImageSize();
  if (cut.Width > m_picture->GetWidth() || cut.Height > m_picture->GetHeight()) return false;
  // The scale is read before the cut it applies to, so it is judged here:
  // one that would make the cut picture vanish or outgrow the budget falls
  // back to 1, and the cut must then fit at its own size.
  if (!ScaledCutFits(cut, m_sizeScale)) SetSizeScale(1.0f);
  if (!ScaledCutFits(cut, m_sizeScale)) return false;
  // A view that no table of this picture can have opens as the default.
  const SizeF scaledCut(static_cast<float>(cut.Width) * m_sizeScale, static_cast<float>(cut.Height) * m_sizeScale);
  if (!m_tableView.IsSane(scaledCut)) m_tableView = CPuzzleTableView();
  ValidateTrays(m_trays, m_cutter.GetGridSize());

  // Records that cannot be placed are dropped; their cells are then built
  // as new pieces and scattered. The first record of a cell wins.
  const Size grid = m_cutter.GetGridSize();
  std::set<std::pair<int, int>> seen;
  std::erase_if(m_pieces, [&](const std::unique_ptr<CPuzzlePieceData>& record) {
    const int c = record->GetColumn(), r = record->GetRow();
    if (c < 0 || r < 0 || c >= grid.Width || r >= grid.Height) return true;
    if (!Finite(record->GetPosition().X) || !Finite(record->GetPosition().Y) || !Finite(record->GetRotation()))
      return true;
    return !seen.insert({c, r}).second;
  });
  PiecesChanged();
  return true;
}

void CPuzzleData::OnElement(const std::string& rawName, const CRSXMLParser::Attributes& attributes,
                            const std::string& text) {
  const std::string name = xmltext::ToLower(rawName);
  CRSXMLParser* parser = GetParser();
  if (name == kTag) {
    m_sawRoot = true;
  } else if (name == CPuzzlePieceData::kTag) {
    if (!parser) return;
    if (m_pieces.size() >= kMaxPieceRecords) {
      parser->PushHandler(&g_ignore);
      return;
    }
    CPuzzlePieceData* record = m_pieces.emplace_back(std::make_unique<CPuzzlePieceData>(0, 0)).get();
    PiecesChanged();
    parser->PushHandler(record);
  } else if (name == "puzzle-cuts") {
    if (parser) parser->PushHandler(&m_cutter);
  } else if (name == "name") {
    m_name = xmltext::TextFromBase64(text);
  } else if (name == "title") {
    m_title = xmltext::TextFromBase64(text);
  } else if (name == "completed") {
    m_completed = true;
  } else if (name == "rotate-pieces-when-scatter") {
    m_rotatePieces = true;
  } else if (name == "surprise") {
    m_surprise = true;
  } else if (name == kFullPictureTag) {
    m_fullPicture = true;
  } else if (name == "music-filename") {
    std::string file = xmltext::TextFromBase64(text);
    const auto first = file.find_first_not_of(" \t\r\n");
    const auto last = file.find_last_not_of(" \t\r\n");
    m_musicFileName = first == std::string::npos ? std::string() : file.substr(first, last - first + 1);
  } else if (name == "music-data") {
    Base64DecodeAppend(text, m_musicData);
  } else if (name == "size-scale") {
    float scale = 0.0f;
    const std::string* value = xmltext::FindAttribute(attributes, "val");
    // Whether the scaled cut picture fits is checked once the cut is known
    // (Validate); a scale that is not a positive number at all stays out.
    if (value && xmltext::ParseFloat(*value, scale) && std::isfinite(scale) && scale > 0.0f) SetSizeScale(scale);
  } else if (name == kTableViewTag) {
    ReadTableView(attributes, m_tableView);
  } else if (name == kTrayTag) {
    // All trays together name no more cells than a grid can have.
    std::size_t named = 0;
    for (const CPuzzleTrayData& tray : m_trays) named += tray.cells.size();
    ReadTray(attributes, m_trays, kMaxPieceRecords - std::min(named, kMaxPieceRecords));
  } else if (name == "time-played") {
    std::uint32_t ms = 0;
    if (xmltext::ParseHex(text, ms)) m_timePlayed = static_cast<std::int32_t>(std::min<std::uint32_t>(ms, INT_MAX));
  } else if (name == "img-data") {
    m_pictureText = text;
    m_picture = DecodeImageBase64(m_pictureText);
  }
}

void CPuzzleData::Write(CRSXMLWriter& out) {
  out.StartTag(kTag);
  out.LeafText("name", m_name);
  out.LeafText("title", m_title);
  out.Flag("completed", m_completed);
  out.Flag("rotate-pieces-when-scatter", m_rotatePieces);
  if (!m_musicFileName.empty()) out.LeafText("music-filename", m_musicFileName);
  if (!m_musicData.empty()) out.LeafBytes("music-data", m_musicData);
  out.Flag("surprise", m_surprise);
  out.Flag(kFullPictureTag, m_fullPicture);
  // Only a view that differs from the default is written, so a puzzle never
  // zoomed or panned keeps the file it has always had.
  if (!m_tableView.IsDefault()) WriteTableView(out, m_tableView);
  for (const CPuzzleTrayData& tray : m_trays) WriteTray(out, tray);
  // The size scale and the time played share one line.
  out.Write("<size-scale val=\"" + numtext::FormatGeneral(m_sizeScale) + "\" />");
  out.Leaf("time-played", numtext::FormatHex(static_cast<std::uint32_t>(m_timePlayed)));
  out.Leaf("img-data", m_pictureText);
  out.StartTag("pieces");
  for (const auto& record : m_pieces) record->Write(out);
  m_cutter.Write(out);
  out.EndTag("pieces");
  out.EndTag(kTag);
}

bool CPuzzleData::Save() {
  if (!ArePuzzleFilesWritable()) return false;
  if (!platform::EnsureDirectory(GetPuzzleFolder())) return false;
  CRSXMLWriter out;
  Write(out);
  return platform::WriteFileAtomically(GetPuzzleFileName(m_name), out.GetBytes());
}
