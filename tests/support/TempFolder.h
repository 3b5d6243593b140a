#pragma once

// A folder of its own for a test's files, removed with everything in it when
// the test ends; tests running side by side never share one.

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace curvella::test {

class TTempFolder {
public:
  TTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "curvella-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
  }
  ~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  // The full name of a file in the folder.
  std::string In(const std::string& name) const { return (m_path / name).string(); }

private:
  std::filesystem::path m_path;
};

} // namespace curvella::test
