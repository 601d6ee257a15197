#pragma once
// A folder tree made for one test and removed with everything in it when the
// test ends (symbolic links are removed, never followed).

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

class TempTree {
 public:
  TempTree() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tandrill-tree-XXXXXX";
    if (mkdtemp(pattern.data())) m_root = pattern;
  }
  ~TempTree() {
    if (m_root.empty()) return;
    // Unreadable folders made by a test must be readable again to be removed.
    nftw(m_root.c_str(), [](const char* p, const struct stat*, int type, FTW*) {
      if (type == FTW_D || type == FTW_DNR) chmod(p, 0700);
      return 0;
    }, 16, FTW_PHYS);
    nftw(m_root.c_str(), [](const char* p, const struct stat*, int, FTW*) { return ::remove(p); }, 16,
         FTW_DEPTH | FTW_PHYS);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::string& Root() const { return m_root; }
  std::string Path(const std::string& relative) const { return m_root + "/" + relative; }

  bool Dir(const std::string& relative) const { return mkdir(Path(relative).c_str(), 0700) == 0; }
  bool File(const std::string& relative, const std::string& bytes = "x") const {
    FILE* f = std::fopen(Path(relative).c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
  }
  bool Link(const std::string& target, const std::string& relative) const {
    return symlink(target.c_str(), Path(relative).c_str()) == 0;
  }

 private:
  std::string m_root;
};

// Sets environment variables for one test and puts the old values back.
class ScopedEnv {
 public:
  ~ScopedEnv() {
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it)
      it->second.first ? setenv(it->first.c_str(), it->second.second.c_str(), 1) : unsetenv(it->first.c_str());
  }
  // A null value removes the variable.
  void Set(const char* name, const char* value) {
    const char* old = std::getenv(name);
    m_saved.push_back({name, {old != nullptr, old ? old : ""}});
    value ? setenv(name, value, 1) : unsetenv(name);
  }

 private:
  std::vector<std::pair<std::string, std::pair<bool, std::string>>> m_saved;
};
