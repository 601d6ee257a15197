#pragma once
// Where each kind of file dialog starts. Each kind remembers the folder it
// was last closed in, for as long as the game runs; the first time, picture
// dialogs start in the user's Pictures folder, music dialogs in Music, and
// every other dialog in home. A remembered folder that has since vanished is
// passed over for the next one that exists.

#include <string>

enum class CRSDialogKind {
  kPicture,  // puzzle pictures and backgrounds
  kMusic,    // puzzle music
  kGift,     // saving a gift program
  kOther,
};

// The folder a dialog of this kind opens in now; always an existing folder
// (the root when nothing better exists).
std::string GetDialogStartFolder(CRSDialogKind kind);

// Remembers the folder a dialog of this kind ended in.
void RememberDialogFolder(CRSDialogKind kind, const std::string& folder);

// Forgets every remembered folder (for tests).
void ForgetDialogFolders();
