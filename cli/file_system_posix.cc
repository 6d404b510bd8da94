// POSIX backend of the file-system calls; see file_system.h.
#include <system_error>

#include "cli/file_system.h"

namespace marvoset::cli {

std::filesystem::path NativePath(const std::string& path) { return path; }

std::FILE* OpenPath(const std::filesystem::path& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

std::FILE* CreateNewFile(const std::filesystem::path& path) {
  return std::fopen(path.c_str(), "wbx");
}

bool MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to,
                   std::string& error) {
  std::error_code ec;
  std::filesystem::rename(from, to, ec);
  if (ec) error = ec.message();
  return !ec;
}

bool SeekFile(std::FILE* file, std::uint64_t offset) {
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

void UseBinaryMode(std::FILE*) {}  // streams are binary already

}  // namespace marvoset::cli
