// Input read whole or a part at a time, and all-or-nothing output, for
// marvoset-convert, on the C and C++ standard libraries and a few platform calls
// (file_system.h).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace marvoset::cli {

// The whole content of a file or stream, read into memory with large reads.
class InputBytes {
 public:
  std::string_view view() const { return {data_.get(), size_}; }
  void Release() {
    data_.reset();
    size_ = 0;
  }

  // Reads the whole of `path`. On failure returns false and sets `error` to
  // the reason (no file name in it).
  bool ReadFile(const std::string& path, std::string& error);
  // Reads `stream` to its end.
  bool ReadStream(std::FILE* stream, std::string& error);

 private:
  bool ReadAll(std::FILE* stream, std::size_t size_hint, std::string& error);

  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
};

// A file read a part at a time, from wherever the caller asks: a list of
// any size is never held whole. (Reads into a small buffer that is used
// again and again beat mapping the file, whose pages are slow to reach,
// and reading it whole, which needs that much fresh memory.)
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // On failure returns false and sets `error` to the reason (no file name
  // in it).
  bool Open(const std::string& path, std::string& error);
  // Appends up to `size` bytes from byte `offset` on to `out`; fewer only
  // at the end of the file.
  bool Read(std::uint64_t offset, std::size_t size, std::string& out, std::string& error);
  void Close();

 private:
  std::FILE* file_ = nullptr;
  std::uint64_t position_ = 0;  // where file_ reads next
};

// Where the output goes. Nothing is visible at the destination until
// Commit(): a file is written to a temporary file beside it, by a second
// thread while the caller prepares the next piece, and renamed into place;
// a stream, or a path that is not a regular file (a device, a pipe), gets
// the pieces, held in memory until then. An output that is neither
// committed nor kept is discarded.
class Output {
 public:
  Output() = default;
  ~Output();
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // Output to `path`.
  bool OpenFile(const std::string& path, std::string& error);
  // Output to an open stream (standard output).
  void OpenStream(std::FILE* stream);

  // Takes the bytes of `piece` for writing, and leaves `piece` empty (with
  // the capacity of a buffer written earlier, to reuse).
  bool Write(std::string& piece, std::string& error);
  bool Commit(std::string& error);
  // Removes the temporary file, if any.
  void Discard();

 private:
  void WriterLoop();
  bool StopWriter(std::string& error);  // false when a write failed

  std::FILE* file_ = nullptr;
  bool owns_file_ = false;
  bool direct_ = false;                // hold the pieces until Commit
  std::vector<std::string> held_;      // when direct_
  std::filesystem::path temp_path_;    // empty when writing directly
  std::filesystem::path target_path_;  // where the temporary file goes on Commit

  // The writer thread and what it shares with the caller, under `mutex_`.
  std::thread writer_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> queued_;
  std::vector<std::string> spare_;  // written, to be reused
  bool closing_ = false;
  int write_errno_ = 0;  // the first failure, or 0
};

// The text of errno value `err` (strerror, without a trailing period).
std::string ErrnoText(int err);

}  // namespace marvoset::cli
