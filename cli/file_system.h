// The platform's part of file_io.cc: turning a path from the command line
// into a file-system path, opening files, creating a file that must not
// exist yet, mapping a file into memory, moving a finished file into place, and binary standard
// streams. Each function reports failure as the C library does (nullptr and errno) or through
// `error`, never by throwing.
#pragma once

#include <cstddef>
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

// Maps the first `size` bytes of the open `file` read-only, or returns
// nullptr when that cannot be done (the caller then reads the file).
const char* MapFile(std::FILE* file, std::size_t size);
// Undoes MapFile.
void UnmapFile(const char* data, std::size_t size);

// Makes a standard stream pass bytes unchanged (no line-break translation).
void UseBinaryMode(std::FILE* stream);

}  // namespace marvoset::cli
