// The outside readers of tests/check_outputs.py for the native unit tests: tidy for every
// *.html, unrtf for every *.rtf (read back to the text kept beside it as *.rtf.txt).
#pragma once
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

inline bool OutsideReadersInstalled() {
  return std::filesystem::exists("/usr/bin/tidy") && std::filesystem::exists("/usr/bin/unrtf");
}

// Writes the files (name, bytes) into a folder of their own and runs the checker on it.
// Returns its report when a reader refuses a file, an empty text when all passed.
inline std::string CheckWithOutsideReaders(const std::vector<std::pair<std::string, std::string>>& files) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("norvo_readers_" + std::to_string(getpid()));
  const fs::path log = dir.string() + ".log";
  fs::create_directories(dir);
  for (const auto& [name, bytes] : files) std::ofstream(dir / name, std::ios::binary) << bytes;
  const int status = std::system(
      ("python3 '" NORVO_CHECK_OUTPUTS "' '" + dir.string() + "' >'" + log.string() + "' 2>&1").c_str());
  std::string report;
  if (std::ifstream in{log}) report.assign(std::istreambuf_iterator<char>(in), {});
  fs::remove_all(dir);
  fs::remove(log);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : "status " + std::to_string(status) + ": " + report;
}
#endif
