#pragma once
// CPuzzleLibrary: the program's catalogue in memory — the gradient colour,
// the store room's music, the categories and the puzzle entries — with the
// library file it is loaded from at start and written to at the end, and
// the operations the rooms use to find, add and remove entries.
//
// Ownership: the library owns its entries and categories. A record that
// deletes itself (DeleteWithFile, or a record found unusable while reading)
// drops out of its list by itself. The store room, the background picture
// and everything else the library only points at are not owned.
//
// Everything here runs on the user-interface thread, except the thumbnail
// decoding inside LoadFile, which is spread over worker threads and joined
// before LoadFile returns.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "canvas/auto_ptr.h"
#include "canvas/object.h"
#include "canvas/sigslot.h"
#include "canvas/weak_ref.h"
#include "data/puzzle_category_data.h"
#include "data/puzzle_image_data.h"
#include "data/xml.h"
#include "platform/bitmap.h"

class CRSControlStyles;
class CRSXMLWriter;

class CPuzzleLibrary : public CRSXMLParser::XHandler, public sigslot::has_slots {
 public:
  static constexpr const char* kTag = "puzzle-config";
  static constexpr const char* kFileName = "tandrill.pzl";
  static constexpr std::uint32_t kDefaultGradientColour = 0x666666;
  // The longest store-room music path taken from the file.
  static constexpr std::size_t kMaxMusicNameBytes = 4096;
  // No run of text in a library file is longer than this: the largest
  // category picture compresses to far less.
  static constexpr std::size_t kMaxTextBytes = std::size_t(64) << 20;

  template <class T>
  using RecordList = std::vector<CRSAutoPtrPolymorphic<T>>;
  using ImageList = RecordList<CPuzzleImageData>;
  using CategoryList = RecordList<CPuzzleCategoryData>;

  // What a load found. The library says what to show; the window shows it.
  struct LoadResult {
    int parseResult = CRSXMLParser::kSuccess;  // the reader's result code
    // No library file was there: a first start. A file of nothing but
    // blanks is an empty library, but the player has been here before.
    bool missing = false;
    // The file is there but could not be read (no permission, an I/O error,
    // a folder in its place): the system's words for why, else empty. The
    // player's library is still in that file, so it must not be written
    // over with what little was read.
    std::string unreadableReason;
    // Set when the "Parsing ERROR" box must be shown; errorText is then
    // exactly the box's text (the reader's message with its line and
    // column, and which file).
    bool showError = false;
    std::string errorText;
  };

  // What a save did. A failed save leaves the old file as it was.
  struct SaveResult {
    bool ok = true;
    std::string path;
  };

  CPuzzleLibrary();
  ~CPuzzleLibrary() override;
  CPuzzleLibrary(const CPuzzleLibrary&) = delete;
  CPuzzleLibrary& operator=(const CPuzzleLibrary&) = delete;

  // The library file: "tandrill.pzl" in the player's data folder.
  static std::string GetFilePath();

  // Reads the library file (or the file at path) into this library; what
  // was read before an error is kept. Records that are not sound (no
  // picture, absurd texts, a name or category title seen before) are
  // dropped, and entries that name a category the library does not have
  // are taken out of it.
  LoadResult LoadFile();
  LoadResult LoadFile(const std::string& path);
  // The same for a library held in memory (tests and the fuzzer).
  LoadResult LoadText(std::string_view text);
  // The control style a file's style element is read into; null (the
  // default) reads into the current style. A library read off the
  // user-interface thread reads into a style of its own.
  void SetStyleToRead(std::shared_ptr<CRSControlStyles> style) { m_styleToRead = std::move(style); }
  // Writes the library atomically; on failure the old file stays whole.
  SaveResult SaveFile() const;
  SaveResult SaveFile(const std::string& path) const;
  // The whole document, as SaveFile writes it.
  std::string ToText() const;

  // --- the document's handler ---------------------------------------------------
  void OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                 const std::string& text) override;
  void Write(CRSXMLWriter& out) override;

  // --- fields -----------------------------------------------------------------
  std::uint32_t GetGradientColour() const { return m_gradientColour; }
  // Only the low 24 bits are kept.
  void SetGradientColour(std::uint32_t colour) { m_gradientColour = colour & 0xFFFFFF; }
  const std::string& GetStoreRoomMusic() const { return m_storeRoomMusic; }
  void SetStoreRoomMusic(const std::string& path) { m_storeRoomMusic = path; }
  // The store room while it exists; the library does not own it.
  CRSObject* GetStoreRoom() const { return m_storeRoom.get(); }
  void SetStoreRoom(CRSObject* room) { m_storeRoom.Assign(room); }
  int GetLargestPictureWidth() const { return m_largestPictureWidth; }
  int GetLargestPictureHeight() const { return m_largestPictureHeight; }
  void SetLargestPictureSize(int width, int height) {
    m_largestPictureWidth = width;
    m_largestPictureHeight = height;
  }
  const std::shared_ptr<Gdiplus::Bitmap>& GetBackgroundImage() const { return m_backgroundImage; }
  void SetBackgroundImage(std::shared_ptr<Gdiplus::Bitmap> image) { m_backgroundImage = std::move(image); }
  const std::string& GetGiftPuzzleText() const { return m_giftPuzzleText; }
  void SetGiftPuzzleText(std::string text) { m_giftPuzzleText = std::move(text); }
  bool IsGift() const { return !m_giftPuzzleText.empty(); }

  // --- library operations -----------------------------------------------------
  // The live entries and categories, in file order (new ones last).
  const ImageList& GetPuzzleImages() const;
  const CategoryList& GetCategories() const;
  // The first entry of exactly that name.
  CPuzzleImageData* FindPuzzleImage(const std::string& name) const;
  // The first entry that is selected and not yet solved.
  CPuzzleImageData* GetSelectedPuzzleImage() const;
  // With unfinished set: unselects every entry below 100 %; without it,
  // every entry at 100 %.
  void ClearPuzzleSelection(bool unfinished);
  // The entry's title, its name when the title is empty, "" without entry.
  std::string GetDisplayTitle(const std::string& name) const;
  // The name itself when no entry has it (ignoring case), else the name
  // with " (2)", " (3)" … — the first that no entry has.
  std::string MakeUniqueName(const std::string& name) const;
  // Takes ownership and appends; tells the store room when it exists.
  void AddPuzzleImage(CPuzzleImageData* entry);
  // Takes the entry out of the list and deletes it.
  void RemovePuzzleImage(CPuzzleImageData* entry);
  // Takes ownership and appends a category (categories come from the file;
  // tests and tools add them this way).
  void AddCategory(CPuzzleCategoryData* category);
  CPuzzleCategoryData* FindCategory(const std::string& title) const;
  CPuzzleCategoryData* GetSelectedCategory() const;
  // The entries whose category is exactly title, in list order.
  std::vector<CPuzzleImageData*> GetPuzzleImagesOfCategory(const std::string& title) const;

  // A new entry was added while the store room exists: (entry).
  sigslot::signal1<CPuzzleImageData*> sigPuzzleImageAdded;

 private:
  void Clear();
  LoadResult Parse(bool fromFile, std::string_view source);
  // Decodes the pictures read during the parse and drops what is unsound.
  void FinishReading();
  template <class T>
  void Prune(RecordList<T>& list) const;
  // Takes the records for which drop answers true out of the list, then
  // deletes them (the list is whole again before any record goes).
  template <class T, class Drop>
  static void DropRecords(RecordList<T>& list, Drop drop) {
    RecordList<T> dropped;
    std::erase_if(list, [&](CRSAutoPtrPolymorphic<T>& record) {
      if (record && !drop(*record)) return false;
      dropped.push_back(std::move(record));
      return true;
    });
    for (auto& record : dropped) record.ResetWithDeletion();
  }

  std::uint32_t m_gradientColour = kDefaultGradientColour;
  mutable ImageList m_images;
  mutable CategoryList m_categories;
  CRSWeakRef<CRSObject> m_storeRoom;
  std::string m_storeRoomMusic;
  int m_largestPictureWidth = 0;
  int m_largestPictureHeight = 0;
  std::shared_ptr<Gdiplus::Bitmap> m_backgroundImage;
  std::string m_giftPuzzleText;
  // Records made by the parse that is running, for FinishReading.
  std::vector<CPuzzleImageData*> m_readImages;
  std::vector<CPuzzleCategoryData*> m_readCategories;
  // The style whose element is being read, held for the parse.
  std::shared_ptr<CRSControlStyles> m_readingStyle;
  std::shared_ptr<CRSControlStyles> m_styleToRead;
};
