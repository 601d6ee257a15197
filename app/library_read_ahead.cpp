#include "app/library_read_ahead.h"

#include <future>
#include <string>
#include <utility>

#include "data/control_styles_default.h"

namespace app {
namespace {

struct Pending {
  std::string path;
  std::shared_ptr<CRSControlStylesDefault> style;
  std::future<LibraryRead> read;
};

std::optional<Pending> s_pending;

}  // namespace

void StartReadingLibraryAhead() {
  if (s_pending) return;
  auto* current = dynamic_cast<CRSControlStylesDrawn*>(CRSControlStyles::GetCurrent().get());
  if (!current) return;
  Pending pending;
  pending.path = CPuzzleLibrary::GetFilePath();
  // What the file does not say keeps the current value, as when the file
  // is read into the current style itself.
  pending.style = std::make_shared<CRSControlStylesDefault>(current->GetValues());
  pending.read = std::async(std::launch::async, [path = pending.path, style = pending.style] {
    LibraryRead read;
    read.library = std::make_unique<CPuzzleLibrary>();
    read.library->SetStyleToRead(style);
    read.result = read.library->LoadFile(path);
    read.library->SetStyleToRead(nullptr);
    return read;
  });
  s_pending = std::move(pending);
}

std::optional<LibraryRead> TakeLibraryReadAhead() {
  if (!s_pending) return std::nullopt;
  Pending pending = std::move(*s_pending);
  s_pending.reset();
  LibraryRead read = pending.read.get();
  if (pending.path != CPuzzleLibrary::GetFilePath()) return std::nullopt;
  if (auto* current = dynamic_cast<CRSControlStylesDrawn*>(CRSControlStyles::GetCurrent().get()))
    current->SetValues(pending.style->GetValues());
  return read;
}

void DropLibraryReadAhead() {
  if (s_pending && s_pending->read.valid()) s_pending->read.wait();
  s_pending.reset();
}

}  // namespace app
