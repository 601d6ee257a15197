// The library in memory: its lists and the operations the rooms use on
// them. Reading and writing the library file is in library_file.cpp.

#include "data/library.h"

#include <unordered_set>

#include "data/xml_text.h"

CPuzzleLibrary::CPuzzleLibrary() = default;

CPuzzleLibrary::~CPuzzleLibrary() {
  // The lists own their records, but items and rooms may still hold weak
  // references, which keep a record's block counted: each record is
  // deleted outright rather than by letting go of it.
  ImageList images;
  images.swap(m_images);
  for (auto& entry : images) entry.ResetWithDeletion();
  CategoryList categories;
  categories.swap(m_categories);
  for (auto& category : categories) category.ResetWithDeletion();
}

template <class T>
void CPuzzleLibrary::Prune(RecordList<T>& list) const {
  // A record that deleted itself, or asked to be deleted, is no longer part
  // of the library even while its deletion waits in the queue.
  std::erase_if(list, [](const CRSAutoPtrPolymorphic<T>& record) {
    const T* r = record.get();
    return !r || r->IsBeingDeleted() || r->GetDeletionMode() == CRSEventReceiver::kDeletionQueued;
  });
}

const CPuzzleLibrary::ImageList& CPuzzleLibrary::GetPuzzleImages() const {
  Prune(m_images);
  return m_images;
}

const CPuzzleLibrary::CategoryList& CPuzzleLibrary::GetCategories() const {
  Prune(m_categories);
  return m_categories;
}

void CPuzzleLibrary::Clear() {
  DropRecords(m_images, [](const CPuzzleImageData&) { return true; });
  DropRecords(m_categories, [](const CPuzzleCategoryData&) { return true; });
  m_gradientColour = kDefaultGradientColour;
  m_storeRoomMusic.clear();
}

CPuzzleImageData* CPuzzleLibrary::FindPuzzleImage(const std::string& name) const {
  for (const auto& entry : GetPuzzleImages())
    if (entry->GetName() == name) return entry.get();
  return nullptr;
}

CPuzzleImageData* CPuzzleLibrary::GetSelectedPuzzleImage() const {
  for (const auto& entry : GetPuzzleImages())
    if (entry->IsSelected() && entry->GetPercentCompleted() < 100) return entry.get();
  return nullptr;
}

void CPuzzleLibrary::ClearPuzzleSelection(bool unfinished) {
  for (const auto& entry : GetPuzzleImages()) {
    const bool solved = entry->GetPercentCompleted() == 100;
    const bool matches = unfinished ? entry->GetPercentCompleted() < 100 : solved;
    if (matches) entry->SetSelected(false);
  }
}

std::string CPuzzleLibrary::GetDisplayTitle(const std::string& name) const {
  const CPuzzleImageData* entry = FindPuzzleImage(name);
  if (!entry) return {};
  return entry->GetTitle().empty() ? entry->GetName() : entry->GetTitle();
}

std::string CPuzzleLibrary::MakeUniqueName(const std::string& name) const {
  // Names are compared without regard to case, so the candidates are
  // looked up among the lower-cased names of every entry.
  std::unordered_set<std::string> taken;
  for (const auto& entry : GetPuzzleImages()) taken.insert(xmltext::ToLower(entry->GetName()));
  if (!taken.count(xmltext::ToLower(name))) return name;
  // Only as many suffixes can clash as there are entries, so this ends.
  for (std::size_t n = 2;; ++n) {
    std::string candidate = name + " (" + std::to_string(n) + ")";
    if (!taken.count(xmltext::ToLower(candidate))) return candidate;
  }
}

void CPuzzleLibrary::AddPuzzleImage(CPuzzleImageData* entry) {
  if (!entry) return;
  for (const auto& existing : GetPuzzleImages())
    if (existing.get() == entry) return;
  m_images.emplace_back(entry);
  if (m_storeRoom) sigPuzzleImageAdded(entry);
}

void CPuzzleLibrary::RemovePuzzleImage(CPuzzleImageData* entry) {
  if (!entry) return;
  DropRecords(m_images, [entry](const CPuzzleImageData& e) { return &e == entry; });
}

void CPuzzleLibrary::AddCategory(CPuzzleCategoryData* category) {
  if (!category) return;
  for (const auto& existing : GetCategories())
    if (existing.get() == category) return;
  m_categories.emplace_back(category);
}

CPuzzleCategoryData* CPuzzleLibrary::FindCategory(const std::string& title) const {
  for (const auto& category : GetCategories())
    if (category->GetTitle() == title) return category.get();
  return nullptr;
}

CPuzzleCategoryData* CPuzzleLibrary::GetSelectedCategory() const {
  for (const auto& category : GetCategories())
    if (category->IsSelected()) return category.get();
  return nullptr;
}

std::vector<CPuzzleImageData*> CPuzzleLibrary::GetPuzzleImagesOfCategory(const std::string& title) const {
  std::vector<CPuzzleImageData*> entries;
  for (const auto& entry : GetPuzzleImages())
    if (entry->GetCategory() == title) entries.push_back(entry.get());
  return entries;
}
