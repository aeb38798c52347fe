// Catches what the shell opens for http and mailto targets under Wine. Wine's ShellExecute runs
// winebrowser, which starts the first program named in HKCU\Software\Wine\WineBrowser
// "Browsers" (http) or "Mailers" (mailto) with the target as its last argument. The recorder
// points both at a small shell script that appends its arguments as one line to a log file,
// and puts the values back as they were when it goes.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// True when this process runs under Wine (the recorder only works there).
bool RunsUnderWine();

class LinkRecorder {
 public:
  // Writes the script and the log in directory (a Windows path) and sets the two values.
  // Throws std::runtime_error when any of that fails.
  explicit LinkRecorder(const std::string& directory);
  ~LinkRecorder();
  LinkRecorder(const LinkRecorder&) = delete;
  LinkRecorder& operator=(const LinkRecorder&) = delete;

  // The lines recorded so far, one per opened target.
  std::vector<std::string> Lines() const;

 private:
  struct SavedValue {
    const char* name;
    std::optional<std::string> previous;
  };

  std::string logPath_;
  std::vector<SavedValue> saved_;
};

// The Unix path that Wine maps a Windows path to, or nothing outside Wine.
std::optional<std::string> UnixPathOf(const std::string& windowsPath);

}  // namespace e2e
