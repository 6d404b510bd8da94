// POSIX backend of the file-system calls; see file_system.h.
#include <sys/mman.h>

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

const char* MapFile(std::FILE* file, std::size_t size) {
  if (size == 0) return nullptr;
  void* data = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fileno(file), 0);
  if (data == MAP_FAILED) return nullptr;
  // The pieces are read in order, once.
  madvise(data, size, MADV_WILLNEED);
  return static_cast<const char*>(data);
}

void UnmapFile(const char* data, std::size_t size) { munmap(const_cast<char*>(data), size); }

void UseBinaryMode(std::FILE*) {}  // streams are binary already

}  // namespace marvoset::cli
