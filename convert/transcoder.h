// Conversion of text between two of the file encodings (encoding.h), one
// buffer at a time, for the file-encoding layer. The platform backend does
// the work: iconv on Linux, the Win32 code page functions and the codec's
// GB18030 tables on Windows.
//
// Convert() promises iconv's contract whatever the backend: it converts
// whole characters only, advances `in` past what it converted and `out` past
// what it wrote, and stops at the start of the first sequence that is
// invalid in the source, or valid but without a form in the target
// (kInvalid), at a character cut off by the end of the input (kIncomplete),
// or at the first character whose output does not fit (kOutputFull).
#pragma once

#include <cstddef>
#include <memory>

#include "convert/encoding.h"

namespace marvoset {

enum class TranscodeStatus { kOk, kOutputFull, kInvalid, kIncomplete };

class Transcoder {
 public:
  Transcoder(Encoding to, Encoding from);
  ~Transcoder();
  Transcoder(const Transcoder&) = delete;
  Transcoder& operator=(const Transcoder&) = delete;

  // False when the backend has no converter for the pair.
  bool ok() const;
  TranscodeStatus Convert(const char*& in, std::size_t& in_left, char*& out, std::size_t& out_left);
  // Forgets any shift state, as before a fresh input.
  void Reset();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace marvoset
