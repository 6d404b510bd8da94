#include "cli/file_io.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "cli/file_system.h"
#include "convert/memory_hints.h"

namespace marvoset::cli {
namespace fs = std::filesystem;

namespace {
constexpr std::size_t kReadChunk = 4 << 20;
// Pieces waiting for the writer thread; the caller waits for a free place.
constexpr std::size_t kMaxQueued = 2;

// Writes all of `bytes`; returns 0, or the errno value of the failure.
int WriteAll(std::FILE* file, std::string_view bytes) {
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size()) return 0;
  return errno ? errno : EIO;
}
}  // namespace

std::string ErrnoText(int err) {
  std::string text = std::strerror(err);
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

namespace {

// Opens `path` for reading; a directory is refused. `size` gets the size of
// a regular file, or 0. On failure sets `error` and returns nullptr.
std::FILE* OpenForReading(const std::string& path, std::size_t& size, std::string& error) {
  std::error_code ec;
  const fs::path native = NativePath(path);
  const fs::file_status status = fs::status(native, ec);
  if (ec) {
    error = ec.message();
    return nullptr;
  }
  if (fs::is_directory(status)) {
    error = ErrnoText(EISDIR);
    return nullptr;
  }
  size = 0;
  if (fs::is_regular_file(status)) {
    const auto file_size = fs::file_size(native, ec);
    if (!ec) size = static_cast<std::size_t>(file_size);
  }
  errno = 0;
  std::FILE* file = OpenPath(native, "rb");
  if (!file) error = ErrnoText(errno ? errno : EIO);
  return file;
}

}  // namespace

bool InputBytes::ReadFile(const std::string& path, std::string& error) {
  Release();
  std::size_t size = 0;
  std::FILE* file = OpenForReading(path, size, error);
  if (!file) return false;
  const bool ok = ReadAll(file, size, error);
  std::fclose(file);
  return ok;
}

bool InputBytes::ReadStream(std::FILE* stream, std::string& error) {
  Release();
  UseBinaryMode(stream);
  return ReadAll(stream, 0, error);
}

bool InputBytes::ReadAll(std::FILE* stream, std::size_t size_hint, std::string& error) {
  // One read for a file of known size (plus one to see its end); otherwise
  // the buffer doubles as it fills.
  std::size_t capacity = size_hint > 0 ? size_hint + 1 : kReadChunk;
  data_ = std::make_unique_for_overwrite<char[]>(capacity);
  AdviseLargeBuffer(data_.get(), capacity);
  size_ = 0;
  for (;;) {
    if (size_ == capacity) {
      const std::size_t grown = capacity * 2;
      auto bigger = std::make_unique_for_overwrite<char[]>(grown);
      AdviseLargeBuffer(bigger.get(), grown);
      std::memcpy(bigger.get(), data_.get(), size_);
      data_ = std::move(bigger);
      capacity = grown;
    }
    errno = 0;
    const std::size_t got = std::fread(data_.get() + size_, 1, capacity - size_, stream);
    size_ += got;
    if (got == 0 || size_ < capacity) {
      if (std::ferror(stream)) {
        error = ErrnoText(errno ? errno : EIO);
        Release();
        return false;
      }
      if (std::feof(stream)) return true;
    }
  }
}

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path, std::string& error) {
  Close();
  std::size_t size = 0;
  file_ = OpenForReading(path, size, error);
  if (!file_) return false;
  std::setvbuf(file_, nullptr, _IONBF, 0);  // the reads are large; no copy through a buffer
  position_ = 0;
  return true;
}

bool InputFile::Read(std::uint64_t offset, std::size_t size, std::string& out, std::string& error) {
  if (!file_) {
    error = ErrnoText(EBADF);
    return false;
  }
  if (offset != position_) {
    if (!SeekFile(file_, offset)) {
      error = ErrnoText(errno ? errno : EIO);
      return false;
    }
    position_ = offset;
  }
  const std::size_t old_size = out.size();
  out.resize(old_size + size);
  std::size_t got = 0;
  while (got < size) {
    errno = 0;
    const std::size_t n = std::fread(out.data() + old_size + got, 1, size - got, file_);
    got += n;
    if (n == 0) break;
  }
  out.resize(old_size + got);
  position_ += got;
  if (std::ferror(file_)) {
    error = ErrnoText(errno ? errno : EIO);
    std::clearerr(file_);
    return false;
  }
  std::clearerr(file_);  // at the end: a later read may ask again
  return true;
}

void InputFile::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

Output::~Output() { Discard(); }

bool Output::OpenFile(const std::string& path, std::string& error) {
  std::error_code ec;
  fs::path target = NativePath(path);
  // Write through a symbolic link to the file it names, keeping the link.
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    const fs::path resolved = fs::canonical(target, ec);
    if (!ec) target = resolved;
  }
  const fs::file_status status = fs::status(target, ec);
  const bool exists = !ec && fs::exists(status);
  if (exists && fs::is_directory(status)) {
    error = ErrnoText(EISDIR);
    return false;
  }
  owns_file_ = true;
  if (exists && !fs::is_regular_file(status)) {
    // A device or a pipe: no temporary file can stand in for it.
    errno = 0;
    file_ = OpenPath(target, "wb");
    if (!file_) {
      error = ErrnoText(errno ? errno : EIO);
      return false;
    }
    direct_ = true;
    return true;
  }

  // A new file beside the target, created exclusively under a random name.
  const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::random_device random;
  int err = EEXIST;
  for (int attempt = 0; attempt < 100 && !file_ && err == EEXIST; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
    fs::path name = ".";
    name += target.filename();
    name += ".tmp-";
    name += suffix;
    const fs::path temp = dir / name;
    errno = 0;
    file_ = CreateNewFile(temp);
    err = errno;
    if (file_) temp_path_ = temp;
  }
  if (!file_) {
    error = ErrnoText(err ? err : EIO);
    return false;
  }
  target_path_ = target;
  // The replacement keeps the permissions of the file it replaces; a new
  // file gets those of a newly created file (set by the process's umask).
  if (exists) fs::permissions(temp_path_, status.permissions(), ec);
  return true;
}

void Output::OpenStream(std::FILE* stream) {
  UseBinaryMode(stream);
  file_ = stream;
  owns_file_ = false;
  direct_ = true;
}

bool Output::Write(std::string& piece, std::string& error) {
  if (!file_) {
    error = ErrnoText(EBADF);
    return false;
  }
  if (piece.empty()) return true;
  if (direct_) {
    held_.push_back(std::move(piece));
    piece = std::string();
    return true;
  }
  std::unique_lock lock(mutex_);
  if (!writer_.joinable() && !closing_) {
    try {
      writer_ = std::thread([this] { WriterLoop(); });
    } catch (const std::system_error&) {
      closing_ = true;  // no thread to be had: write here, as the pieces come
    }
  }
  if (!writer_.joinable()) {
    if (write_errno_ == 0) write_errno_ = WriteAll(file_, piece);
    piece.clear();
  } else {
    changed_.wait(lock, [&] { return queued_.size() < kMaxQueued || write_errno_ != 0; });
    if (write_errno_ == 0) {
      queued_.push_back(std::move(piece));
      piece = std::string();
      if (!spare_.empty()) {
        piece = std::move(spare_.back());
        spare_.pop_back();
      }
      changed_.notify_all();
    }
  }
  if (write_errno_ != 0) {
    error = ErrnoText(write_errno_);
    return false;
  }
  return true;
}

void Output::WriterLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return !queued_.empty() || closing_; });
    if (queued_.empty()) return;
    std::string piece = std::move(queued_.front());
    queued_.pop_front();
    const bool failed = write_errno_ != 0;
    lock.unlock();
    const int err = failed ? 0 : WriteAll(file_, piece);
    piece.clear();
    lock.lock();
    if (err != 0 && write_errno_ == 0) write_errno_ = err;
    spare_.push_back(std::move(piece));
    changed_.notify_all();
  }
}

bool Output::StopWriter(std::string& error) {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  if (writer_.joinable()) writer_.join();
  if (write_errno_ != 0) {
    error = ErrnoText(write_errno_);
    return false;
  }
  return true;
}

bool Output::Commit(std::string& error) {
  if (!file_) {
    error = ErrnoText(EBADF);
    return false;
  }
  if (!StopWriter(error)) {
    Discard();
    return false;
  }
  int err = 0;
  for (const std::string& piece : held_) {
    if ((err = WriteAll(file_, piece)) != 0) break;
  }
  held_.clear();
  errno = 0;
  bool ok = err == 0 && std::fflush(file_) == 0 && !std::ferror(file_);
  if (err == 0) err = errno;
  if (owns_file_) {
    if (std::fclose(file_) != 0 && ok) {
      ok = false;
      err = errno;
    }
  }
  file_ = nullptr;
  if (!ok) {
    error = ErrnoText(err ? err : EIO);
    Discard();
    return false;
  }
  if (!temp_path_.empty()) {
    if (!MoveIntoPlace(temp_path_, target_path_, error)) {
      Discard();
      return false;
    }
    temp_path_.clear();
  }
  return true;
}

void Output::Discard() {
  std::string ignored;
  StopWriter(ignored);
  held_.clear();
  if (file_ && owns_file_) std::fclose(file_);
  file_ = nullptr;
  if (!temp_path_.empty()) {
    std::error_code ec;
    fs::remove(temp_path_, ec);
    temp_path_.clear();
  }
}

}  // namespace marvoset::cli
