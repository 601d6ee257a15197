// The library file: where it lives, how it is read (the document's handler
// and the checks after the parse) and how it is written.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <unordered_set>

#include "canvas/styles.h"
#include "data/library.h"
#include "data/library_decode.h"
#include "data/xml_text.h"
#include "data/xml_writer.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace {

// Takes the rest of an element that is being skipped.
class CIgnoreElement : public CRSXMLParser::XHandler {};

CIgnoreElement g_ignore;

// More entries than this are not a library anyone gathered; the rest of
// such a file is skipped rather than held in memory.
constexpr std::size_t kMaxPuzzleImages = 200000;
constexpr std::size_t kMaxCategories = 10000;

const char* const kBlanks = " \t\r\n\v\f";

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return std::string(text.substr(first, last - first + 1));
}

bool IsBlank(std::string_view bytes) {
  // A byte-order mark alone is as empty as nothing.
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return bytes.find_first_not_of(kBlanks) == std::string_view::npos;
}

// Whether the file holds nothing but blanks: such a file is an empty
// library, not a damaged one. Reads only as far as the first other byte.
bool IsBlankFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return true;
  char buffer[4096];
  bool blank = true;
  bool first = true;
  std::size_t n;
  while (blank && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    std::string_view chunk(buffer, n);
    if (first && chunk.substr(0, 3) == "\xEF\xBB\xBF") chunk.remove_prefix(3);
    first = false;
    blank = chunk.find_first_not_of(kBlanks) == std::string_view::npos;
  }
  std::fclose(file);
  return blank;
}

}  // namespace

std::string CPuzzleLibrary::GetFilePath() { return platform::GetDataDirectory() + kFileName; }

CPuzzleLibrary::LoadResult CPuzzleLibrary::LoadFile() { return LoadFile(GetFilePath()); }

CPuzzleLibrary::LoadResult CPuzzleLibrary::LoadFile(const std::string& path) { return Parse(true, path); }

CPuzzleLibrary::LoadResult CPuzzleLibrary::LoadText(std::string_view text) { return Parse(false, text); }

CPuzzleLibrary::LoadResult CPuzzleLibrary::Parse(bool fromFile, std::string_view source) {
  Clear();
  m_readImages.clear();
  m_readCategories.clear();
  LoadResult result;
  {
    CRSXMLParser parser;
    parser.SetMaxTextBytes(kMaxTextBytes);
    result.parseResult =
        fromFile ? parser.ParseFile(std::string(source), this) : parser.ParseText(source, this);
    if (result.parseResult == CRSXMLParser::kSyntaxError) {
      // A file of nothing but blanks is an empty library; anything else
      // that does not parse is damaged, and the player is told where.
      const bool blank = fromFile ? IsBlankFile(std::string(source)) : IsBlank(source);
      result.showError = !blank;
      if (result.showError) {
        result.errorText = parser.GetErrorText() + "\nwhile reading tandrill puzzles file:\n" +
                           (fromFile ? std::string(source) : std::string("(text)"));
      }
    } else if (result.parseResult != CRSXMLParser::kSuccess && fromFile) {
      // Only a file that is not there is a first start. Any other failure
      // is a library the player has and the game could not read.
      const int error = platform::FileReadError(std::string(source));
      if (error == ENOENT || error == ENOTDIR) {
        result.missing = true;
      } else {
        result.unreadableReason = std::generic_category().message(error != 0 ? error : EIO);
      }
    }
  }
  FinishReading();
  return result;
}

void CPuzzleLibrary::OnElement(const std::string& rawName, const CRSXMLParser::Attributes&,
                               const std::string& text) {
  const std::string name = xmltext::ToLower(rawName);
  CRSXMLParser* parser = GetParser();
  if (name == "color-gradient") {
    std::uint32_t colour = 0;
    if (xmltext::ParseHex(text, colour)) SetGradientColour(colour);
  } else if (name == "store-room-music-filename") {
    std::string music = Trim(text);
    // A path with control characters in it names no file, and could not
    // be written back as the same text.
    const bool control = std::any_of(music.begin(), music.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (music.size() <= kMaxMusicNameBytes && !control) m_storeRoomMusic = std::move(music);
  } else if (name == CPuzzleCategoryData::kTag) {
    if (!parser) return;
    // The category before this one has been read whole: one that can
    // never be sound goes now rather than holding memory until the end.
    if (!m_readCategories.empty() && !m_readCategories.back()->GetParser() &&
        m_readCategories.back()->GetPictureText().empty()) {
      m_readCategories.pop_back();
      m_categories.back().ResetWithDeletion();
      m_categories.pop_back();
    }
    if (m_readCategories.size() >= kMaxCategories) {
      parser->PushHandler(&g_ignore);
      return;
    }
    auto* category = new CPuzzleCategoryData();
    category->SetDeferPictureDecoding(true);
    m_categories.emplace_back(category);
    m_readCategories.push_back(category);
    parser->PushHandler(category);
  } else if (name == CPuzzleImageData::kTag) {
    if (!parser) return;
    if (!m_readImages.empty() && !m_readImages.back()->GetParser() && !m_readImages.back()->MayBeSound()) {
      m_readImages.pop_back();
      m_images.back().ResetWithDeletion();
      m_images.pop_back();
    }
    if (m_readImages.size() >= kMaxPuzzleImages) {
      parser->PushHandler(&g_ignore);
      return;
    }
    auto* entry = new CPuzzleImageData();
    entry->SetDeferThumbnailDecoding(true);
    m_images.emplace_back(entry);
    m_readImages.push_back(entry);
    parser->PushHandler(entry);
  } else if (parser) {
    const std::shared_ptr<CRSControlStyles> style = m_styleToRead ? m_styleToRead : CRSControlStyles::GetCurrent();
    if (style && xmltext::EqualsNoCase(name, style->GetElementName())) {
      // The style outlives the parse: the current style is only replaced
      // between parses, and the library keeps it while it reads.
      m_readingStyle = style;
      if (auto* handler = dynamic_cast<CRSXMLParser::XHandler*>(style.get())) parser->PushHandler(handler);
      else parser->PushHandler(&g_ignore);
    }
  }
}

void CPuzzleLibrary::FinishReading() {
  std::vector<CPuzzleImageData*> images;
  images.swap(m_readImages);
  std::vector<CPuzzleCategoryData*> categories;
  categories.swap(m_readCategories);
  m_readingStyle.reset();

  // Category pictures (PNG) and thumbnails (JPEG) are decoded as two
  // batches, so each decoder is set up on this thread before threads share
  // it.
  std::vector<library_decode::Task> tasks;
  for (CPuzzleCategoryData* category : categories)
    if (!category->GetPictureText().empty()) tasks.push_back([category] { category->DecodePicture(); });
  library_decode::RunAll(tasks);
  tasks.clear();
  for (CPuzzleCategoryData* category : categories) category->SetDeferPictureDecoding(false);

  // Each category title once (the first wins), and only categories whose
  // picture is sound. An entry of a category the library does not keep
  // would be shown nowhere: it goes back onto the floor now, before the
  // thumbnails are looked at, so that it is decoded as the floor's are.
  std::unordered_set<std::string> titles;
  DropRecords(m_categories, [&titles](const CPuzzleCategoryData& category) {
    return !category.IsSound() || !titles.insert(category.GetTitle()).second;
  });
  for (const auto& entry : m_images)
    if (!entry->GetCategory().empty() && !titles.count(entry->GetCategory())) entry->SetCategory({});

  tasks.reserve(images.size());
  // Only the thumbnails' headers are read now; each picture is decoded the
  // first time it is painted. Of a floor of a thousand thumbnails most lie
  // under others, and the paint walk never reaches those, so the first
  // frame decodes only what it shows.
  for (CPuzzleImageData* entry : images)
    if (entry->MayBeSound()) tasks.push_back([entry] { entry->ProbeThumbnail(); });
  library_decode::RunAll(tasks);

  for (CPuzzleImageData* entry : images) entry->SetDeferThumbnailDecoding(false);

  // What the library keeps of the entries: sound records, each name once
  // (the first wins: a second record of the same name would share the
  // first one's puzzle file).
  std::unordered_set<std::string> names;
  DropRecords(m_images, [&names](const CPuzzleImageData& entry) {
    return !entry.IsSound() || !names.insert(entry.GetName()).second;
  });
}

void CPuzzleLibrary::Write(CRSXMLWriter& out) {
  out.StartTag(kTag);
  out.LeafColour("color-gradient", m_gradientColour);
  // The music path is the one raw text of the file: markup characters in
  // it are written as references so that the file stays well formed.
  if (!m_storeRoomMusic.empty()) out.LeafEscaped("store-room-music-filename", m_storeRoomMusic);
  out.StartTag("puzzle-categories");
  for (const auto& category : GetCategories()) category->Write(out);
  out.EndTag("puzzle-categories");
  out.StartTag("puzzle-images");
  for (const auto& entry : GetPuzzleImages()) entry->Write(out);
  out.EndTag("puzzle-images");
  if (const std::shared_ptr<CRSControlStyles> style = CRSControlStyles::GetCurrent()) style->Write(out);
  out.EndTag(kTag);
}

std::string CPuzzleLibrary::ToText() const {
  CRSXMLWriter out;
  // Writing does not change the library; the handler's interface is not
  // const only because records write through the same virtual.
  const_cast<CPuzzleLibrary*>(this)->Write(out);
  return out.TakeBytes();
}

CPuzzleLibrary::SaveResult CPuzzleLibrary::SaveFile() const { return SaveFile(GetFilePath()); }

CPuzzleLibrary::SaveResult CPuzzleLibrary::SaveFile(const std::string& path) const {
  SaveResult result;
  result.path = path;
  result.ok = platform::WriteFileAtomically(path, ToText());
  return result;
}
