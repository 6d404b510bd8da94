// Whole-file input and all-or-nothing output for marvoset-convert, on the
// C and C++ standard libraries and a few platform calls (file_system.h).
#pragma once

#include <condition_variable>
#include <cstddef>
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

// The whole content of a file or stream. A file is mapped into memory where
// the platform allows (no copy, and no fresh memory to clear); otherwise it
// and a stream are read with large reads.
class InputBytes {
 public:
  InputBytes() = default;
  ~InputBytes() { Release(); }
  InputBytes(const InputBytes&) = delete;
  InputBytes& operator=(const InputBytes&) = delete;

  std::string_view view() const { return {mapped_ ? mapped_ : data_.get(), size_}; }
  void Release();

  // Reads the whole of `path`. On failure returns false and sets `error` to
  // the reason (no file name in it).
  bool ReadFile(const std::string& path, std::string& error);
  // Reads `stream` to its end.
  bool ReadStream(std::FILE* stream, std::string& error);

 private:
  bool ReadAll(std::FILE* stream, std::size_t size_hint, std::string& error);

  std::unique_ptr<char[]> data_;
  const char* mapped_ = nullptr;
  std::size_t size_ = 0;
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
