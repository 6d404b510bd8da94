// marvoset-convert: converts a custom-phrase list file between Sogou Pinyin
// (`key,digit=phrase`) and QQ Pinyin (`key=digit,phrase`) with the same
// library functions as the window.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace marvoset::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNotAList = 1;  // the probe found no entry of the expected kind
inline constexpr int kExitUsage = 2;     // bad command line
inline constexpr int kExitIo = 3;        // unreadable input, unwritable output, bad bytes

// Parses `args` (args[0] is the program name) and runs the conversion.
// Standard input, output and error are `in`, `out` and `err`. Returns the
// exit status. Writes nothing to `out` or to an output file on failure.
int Run(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace marvoset::cli
