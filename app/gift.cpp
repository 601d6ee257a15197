#include "app/gift.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "app/dialog_hooks.h"
#include "canvas/controls.h"
#include "canvas/weak_ref.h"
#include "data/library.h"
#include "data/puzzle_data.h"
#include "data/xml_writer.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/program_payload.h"
#include "platform/report.h"
#include "platform/run_program.h"

namespace fs = std::filesystem;

namespace app {
namespace {

std::string& TemplateOverride() {
  static std::string path;
  return path;
}

void MakeExecutable(const std::string& path) {
  std::error_code ignored;
  fs::permissions(path, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add, ignored);
}

// The private folders this run made for gifts (the copies handed to the
// mail client, gifts made by a copy of the game that may not write the data
// folder), removed when the game ends.
std::vector<std::string>& GiftFolders() {
  static std::vector<std::string> folders;
  return folders;
}

// A new private folder under the system's temporary folder, or empty.
std::string MakePrivateFolder() {
  std::string folder = (fs::temp_directory_path() / "tandrill-gift-XXXXXX").string();
  return mkdtemp(folder.data()) ? folder : std::string();
}

// xdg-email cannot name an attachment, and the mail client may read the
// file after xdg-email has returned. So the mail gets its own copy, under
// the attachment name, in a fresh private folder that stays until the game
// ends; on every other way out the folder goes at once.
int SendWithXdgEmail(const std::string& gift) {
  const std::string folder = MakePrivateFolder();
  if (folder.empty()) return -1;
  const std::string attachment = folder + "/" + kGiftAttachmentName;
  std::error_code error;
  int code = -1;
  if (fs::copy_file(gift, attachment, fs::copy_options::overwrite_existing, error))
    code = platform::RunProgram({"xdg-email", "--attach", attachment});
  if (code == 0) {
    GiftFolders().push_back(folder);
  } else {
    fs::remove_all(folder, error);
  }
  return code;
}

// Runs the choice box's buttons; a child of the box, so it goes with it.
class CGiftChoice : public CRSObject {
 public:
  CGiftChoice(CRSMessageBox* box, CPuzzleLibrary& library, CRSControlWindow* root)
      : CRSObject(box, "giftChoice"), m_library(library), m_root(root) {
    box->sigButton0.connect(this, &CGiftChoice::OnEmail);
    box->sigButton1.connect(this, &CGiftChoice::OnSave);
  }

 private:
  void OnEmail() { EmailGift(m_library, m_root); }
  void OnSave() { SaveGiftAs(m_library, m_root); }

  CPuzzleLibrary& m_library;
  CRSControlWindow* m_root;
};

}  // namespace

std::string GetGiftTemplatePath() {
  if (!TemplateOverride().empty()) return TemplateOverride();
  return platform::GetProgramDirectory() + kGiftTemplateName;
}

void SetGiftTemplatePath(std::string path) { TemplateOverride() = std::move(path); }

MailSender& Mailer() {
  static MailSender sender = SendWithXdgEmail;
  return sender;
}

void ResetMailer() { Mailer() = SendWithXdgEmail; }

void RemoveTemporaryGifts() {
  std::error_code ignored;
  for (const std::string& folder : GiftFolders()) fs::remove_all(folder, ignored);
  GiftFolders().clear();
}

void MakeGift(CPuzzleLibrary& library, CRSControlWindow* root) {
  if (!library.GetSelectedPuzzleImage() || !root) return;
  auto* box = CRSMessageBox::Show("Send this puzzle as a gift?", "Tandrill", root, CRSMessageBox::Kind::kYesNoCancel);
  const char* labels[] = {"&Email", "&Save as", "&Cancel"};
  for (int i = 0; i < 3; ++i)
    if (CRSControlButton* button = box->GetButton(i)) button->SetCaption(labels[i]);
  new CGiftChoice(box, library, root);
}

std::string MakeGiftFile(CPuzzleImageData* entry, CRSControlWindow* root) {
  if (!entry) return std::string();
  // A copy of the game that may not write the data folder (another copy
  // owns it) makes its gift elsewhere, so that the two never share one
  // half-made gift.
  std::string folder = CPuzzleData::GetPuzzleFolder();
  const std::string source = GetGiftTemplatePath();
  std::error_code error;
  if (!CPuzzleData::ArePuzzleFilesWritable()) {
    const std::string own = MakePrivateFolder();
    if (own.empty()) error.assign(errno, std::generic_category());
    else GiftFolders().push_back(own);
    folder = own + "/";
  }
  const std::string gift = folder + kGiftFileName;

  bool copied = false;
  if (!error) {
    platform::EnsureDirectory(folder);
    copied = fs::copy_file(source, gift, fs::copy_options::overwrite_existing, error);
    // A copy that failed part of the way (a full disk) leaves its start.
    if (!copied) platform::RemoveFile(gift);
  }
  if (!copied) {
    const int code = error ? error.value() : EIO;
    CRSMessageBox::Show("Could not copy the gift file:\n\"" + source + "\"\nERROR CODE:" + std::to_string(code),
                        "Failed making the gift!!!", root);
    return std::string();
  }
  MakeExecutable(gift);

  // The receiver starts afresh; the sender's file on disk keeps its
  // progress, since only this copy in memory is reset.
  CPuzzleData puzzle(entry->GetName());
  if (!puzzle.Load()) {
    platform::RemoveFile(gift);
    return std::string();
  }
  puzzle.SetTimePlayed(0);
  puzzle.ResetProgress();
  CRSXMLWriter out;
  puzzle.Write(out);
  if (!platform::AppendPayload(gift, out.GetBytes())) {
    platform::RemoveFile(gift);
    CRSMessageBox::Show("Could not write the puzzle into the gift file:\n\"" + gift + "\"", "Failed making the gift!!!",
                        root);
    return std::string();
  }
  return gift;
}

void EmailGift(CPuzzleLibrary& library, CRSControlWindow* root) {
  const std::string gift = MakeGiftFile(library.GetSelectedPuzzleImage(), root);
  if (gift.empty()) return;
  const int code = Mailer() ? Mailer()(gift) : -1;
  platform::RemoveFile(gift);
  // No mail client (-1), or xdg-email's own "no tool to send with" (3):
  // nothing to tell, as when there is no mail library at all.
  if (code == 0 || code == -1 || code == 3) return;
  CRSMessageBox::Show("Could not send the email !\nERROR CODE:" + std::to_string(code), "Send Mail Failed !!!", root);
}

bool MoveGiftTo(const std::string& gift, const std::string& chosen) {
  bool moved = false;
  if (!chosen.empty() && chosen != gift) {
    // Renaming replaces a file already there in one step; removing it
    // first, as a separate step, would lose it whenever the gift then
    // could not take its place.
    std::error_code error;
    fs::rename(gift, chosen, error);
    if (error) {
      // Another file system: a copy beside the chosen file, renamed over it
      // once whole, so that a copy failing part of the way (a full disk)
      // neither leaves half a gift nor costs the file already there. The
      // made gift goes below.
      error.clear();
      const std::string part = chosen + ".tmp-gift";
      fs::copy_file(gift, part, fs::copy_options::overwrite_existing, error);
      if (!error) fs::rename(part, chosen, error);
      if (error) platform::RemoveFile(part);
    }
    moved = !error;
    if (moved) MakeExecutable(chosen);
  } else if (chosen == gift && !chosen.empty()) {
    return true;
  }
  platform::RemoveFile(gift);
  return moved;
}

void SaveGiftAs(CPuzzleLibrary& library, CRSControlWindow* root) {
  const std::string gift = MakeGiftFile(library.GetSelectedPuzzleImage(), root);
  if (gift.empty()) return;
  CRSSaveFileRequest request;
  request.title = "Save Puzzle Gift:";
  request.filters = {CRSFileFilter{"Applications files (*.exe)", "*.exe"}};
  request.defaultExtension = "exe";
  request.proposedName = kGiftFileName;
  request.overwritePrompt = true;
  request.kind = CRSDialogKind::kGift;
  // The answer may come after the root went (the game closed while the
  // dialog was up): a weak reference, so the dialog never keeps it alive.
  CRSWeakRef<CRSControlWindow> owner(root);
  Dialogs().saveFile(root, request, [gift, owner](const std::string& chosen) {
    if (MoveGiftTo(gift, chosen)) {
      platform::ReportLine("gift " + chosen);
    } else if (!chosen.empty()) {
      // The dialog has closed as after a save; without a word the player
      // would believe the gift is there.
      CRSMessageBox::Show("Could not save the gift file:\n\"" + chosen + "\"", "Failed making the gift!!!", owner.get());
    }
  });
}

}  // namespace app
