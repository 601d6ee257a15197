// Feeds arbitrary bytes to the library reader as a damaged or hostile
// library file would arrive. Whatever is kept is written back, read again
// and written once more: the second writing must equal the first, since
// the library writes back only records it understood.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "canvas/event_dispatcher.h"
#include "canvas/items.h"
#include "data/library.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = [] {
    CRSEventDispatcher::Create();
    return true;
  }();
  (void)ready;
  CPuzzleLibrary library;
  library.LoadText(std::string_view(reinterpret_cast<const char*>(data), size));
  // The rooms' use of a loaded library: every lookup and every item.
  for (const auto& entry : library.GetPuzzleImages()) {
    (void)library.FindPuzzleImage(entry->GetName());
    (void)library.GetDisplayTitle(entry->GetName());
    (void)library.GetPuzzleImagesOfCategory(entry->GetCategory());
    delete entry->GetItem();
  }
  for (const auto& category : library.GetCategories()) delete category->GetItem();
  (void)library.MakeUniqueName("x");
  const std::string first = library.ToText();

  CPuzzleLibrary again;
  const CPuzzleLibrary::LoadResult result = again.LoadText(first);
  if (result.showError || again.ToText() != first) std::abort();
  DiscardEvents();
  return 0;
}
