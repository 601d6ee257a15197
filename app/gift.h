#pragma once
// Gift puzzles: a copy of the game with one puzzle carried at the end of
// its file. Such a copy starts in gift mode and plays that puzzle.
//
// The gift is made as "puzzle_gift.exe" in the puzzles folder (or, in a copy
// of the game that may not write there, in a private folder), from the
// template "gift.pzl" beside the program (a copy of the game that the build
// puts there), and then either handed to the mail client or moved to a file
// the player chooses. Whatever happens, "puzzle_gift.exe" does not stay
// behind. The puzzle in the gift starts scattered with no time played; the
// sender's own puzzle file is not touched.

#include <functional>
#include <string>

class CPuzzleImageData;
class CPuzzleLibrary;
class CRSControlWindow;

namespace app {

inline constexpr const char* kGiftFileName = "puzzle_gift.exe";
inline constexpr const char* kGiftTemplateName = "gift.pzl";
inline constexpr const char* kGiftAttachmentName = "A Puzzle Gift (rename attachement to *.exe).ex_";

// The template: "gift.pzl" in the program directory unless set otherwise
// (tests); an empty path puts the default back.
std::string GetGiftTemplatePath();
void SetGiftTemplatePath(std::string path);

// Hands a file to the mail client and answers its exit code, or -1 when
// there is no mail client to hand it to. The default runs
// "xdg-email --attach FILE"; tests replace it.
using MailSender = std::function<int(const std::string& attachment)>;
MailSender& Mailer();
void ResetMailer();
// Removes the private folders made for gifts in this run: the copies the
// default sender left for the mail client, which may still be reading them
// while the game runs, and the gifts made by a copy of the game that may not
// write the data folder. Called when the game ends.
void RemoveTemporaryGifts();

// The choice box: "&Email", "&Save as", "&Cancel". Nothing without a
// selected puzzle.
void MakeGift(CPuzzleLibrary& library, CRSControlWindow* root);
// Builds the gift for the entry and answers its path; an empty string when
// it could not be made (the failure box is shown on root where the player
// must know).
std::string MakeGiftFile(CPuzzleImageData* entry, CRSControlWindow* root);
// Builds the gift of the selected puzzle and mails it.
void EmailGift(CPuzzleLibrary& library, CRSControlWindow* root);
// Builds the gift of the selected puzzle and asks where to keep it; the
// rest happens when the save dialog answers.
void SaveGiftAs(CPuzzleLibrary& library, CRSControlWindow* root);
// Moves a made gift to the chosen path, replacing a file there. False when
// it could not; the made gift is removed either way.
bool MoveGiftTo(const std::string& gift, const std::string& chosen);

}  // namespace app
