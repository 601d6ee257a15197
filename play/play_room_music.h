#pragma once
// The music of a puzzle while it is played. Music kept inside the puzzle
// file is written to a temporary file first, in a folder of its own that
// only this user can read (never a predictable name in a shared folder);
// the folder goes when the music is closed. A folder left behind by a
// program that did not end normally is removed the next time the game
// starts (SweepStaleMusicFolders).

#include <string>

class CPuzzleData;

class CPuzzlePlayMusic {
 public:
  // Starts the puzzle's music, repeating, on the music channel. Nothing
  // happens for a puzzle without music; music that cannot be played is
  // kept quiet (the sound service says nothing either).
  explicit CPuzzlePlayMusic(const CPuzzleData& puzzle);
  // Closes the music and removes its temporary file and folder.
  ~CPuzzlePlayMusic();

  CPuzzlePlayMusic(const CPuzzlePlayMusic&) = delete;
  CPuzzlePlayMusic& operator=(const CPuzzlePlayMusic&) = delete;

  // Whether the puzzle has music that can be played: bytes kept in the
  // puzzle, or a file that exists.
  bool HasMusic() const { return !m_path.empty(); }
  bool IsEmbedded() const { return m_embedded; }
  // The file played: the temporary copy or the puzzle's own music file.
  const std::string& GetPath() const { return m_path; }
  const std::string& GetFolder() const { return m_folder; }

  // Where the private folders are made: $TMPDIR or /tmp.
  static std::string GetTemporaryRoot();
  // Removes every music folder of this user whose owning program is no
  // longer running. Returns how many were removed.
  static int SweepStaleMusicFolders();

 private:
  std::string m_path;
  std::string m_folder;
  bool m_embedded = false;
};
