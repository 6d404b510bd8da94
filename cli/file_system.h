// The platform's part of file_io.cc: turning a path from the command line
// into a file-system path, opening files, creating a file that must not
// exist yet, seeking far into a file, moving a finished file into place, and binary standard
// streams. Each function reports failure as the C library does (nullptr and errno) or through
// `error`, never by throwing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace marvoset::cli {

// A path as the program received it (the system's narrow encoding: UTF-8 on
// Linux, the ANSI code page on Windows).
std::filesystem::path NativePath(const std::string& path);

// std::fopen for a file-system path.
std::FILE* OpenPath(const std::filesystem::path& path, const char* mode);

// Creates `path` for binary writing, failing with EEXIST if it exists.
std::FILE* CreateNewFile(const std::filesystem::path& path);

// Moves the file `from` over `to` in one step; the old `to` is replaced.
bool MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to,
                   std::string& error);

// Moves the read position of `file` to byte `offset`.
bool SeekFile(std::FILE* file, std::uint64_t offset);

// Makes a standard stream pass bytes unchanged (no line-break translation).
void UseBinaryMode(std::FILE* stream);

}  // namespace marvoset::cli
