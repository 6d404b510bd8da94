// Windows backend of the file-system calls; see file_system.h.
//
// Paths arrive in the ANSI code page (main's argv) and are widened with it,
// so every name the code page can spell works; the wide functions do the
// rest. A finished file is moved into place with MoveFileExW, which replaces
// the old file in one step (it fails while another program holds that file
// open without sharing it for deletion; POSIX rename does not).
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <system_error>

#include "cli/file_system.h"

namespace marvoset::cli {

std::filesystem::path NativePath(const std::string& path) {
  if (path.empty()) return {};
  const int size = static_cast<int>(path.size());
  const int count = MultiByteToWideChar(CP_ACP, 0, path.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(count), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.data(), size, wide.data(), count);
  return wide;
}

std::FILE* OpenPath(const std::filesystem::path& path, const char* mode) {
  std::wstring wide_mode;
  for (const char* m = mode; *m; ++m) wide_mode += static_cast<wchar_t>(*m);
  return _wfopen(path.c_str(), wide_mode.c_str());
}

std::FILE* CreateNewFile(const std::filesystem::path& path) {
  const int fd =
      _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  std::FILE* file = _fdopen(fd, "wb");
  if (!file) {
    const int err = errno;
    _close(fd);
    _wremove(path.c_str());
    errno = err;
  }
  return file;
}

bool MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to,
                   std::string& error) {
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  error = std::system_category().message(static_cast<int>(GetLastError()));
  while (!error.empty() && (error.back() == '\n' || error.back() == '\r' || error.back() == '.')) {
    error.pop_back();
  }
  return false;
}

bool SeekFile(std::FILE* file, std::uint64_t offset) {
  return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
}

void UseBinaryMode(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

}  // namespace marvoset::cli
