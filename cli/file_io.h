// Whole-file input and all-or-nothing output for marvoset-convert, on the
// C and C++ standard libraries and a few platform calls (file_system.h).
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace marvoset::cli {

// The whole content of a file or stream, read into memory with large reads.
// (Reading beats mapping here: a fresh buffer advised for large pages costs
// fewer page faults than a mapping of the file's pages.)
class InputBytes {
 public:
  std::string_view view() const { return {data_.get(), size_}; }
  // The bytes, to be changed in place (never moved or resized).
  char* data() { return data_.get(); }
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

// Where the output goes. Nothing is visible at the destination until
// Commit(): a file is written to a temporary file beside it and renamed into
// place; a stream is written as it comes (the caller finds every error before
// it writes). An output that is neither committed nor kept is discarded.
class Output {
 public:
  Output() = default;
  ~Output();
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // Output to `path`. A path that names something other than a regular file
  // (a device, a pipe) is written directly.
  bool OpenFile(const std::string& path, std::string& error);
  // Output to an open stream (standard output).
  void OpenStream(std::FILE* stream);

  bool Write(std::string_view bytes, std::string& error);
  bool Commit(std::string& error);
  // Removes the temporary file, if any.
  void Discard();

 private:
  std::FILE* file_ = nullptr;
  bool owns_file_ = false;
  std::filesystem::path temp_path_;    // empty when writing in place
  std::filesystem::path target_path_;  // where the temporary file goes on Commit
};

// The text of errno value `err` (strerror, without a trailing period).
std::string ErrnoText(int err);

}  // namespace marvoset::cli
