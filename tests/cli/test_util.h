// Helpers for the command-line tests: encodings of test texts, temporary
// directories and whole-file reads and writes.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <string_view>

#include "convert/codec.h"

namespace marvoset::testing {

// GB18030 bytes of a UTF-16 literal.
inline std::string Gb(std::u16string_view text) { return Utf16ToGb18030(text); }

inline std::string Utf16Bytes(std::u16string_view text, bool little_endian) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char16_t u : text) {
    const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
    out += little_endian ? lo : hi;
    out += little_endian ? hi : lo;
  }
  return out;
}

inline std::string Utf8Bytes(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// A fresh directory, removed with everything in it at the end of the scope.
class TempDir {
 public:
  TempDir() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("marvoset-cli-test-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string operator/(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The whole content of an open stream, from its start.
inline std::string ReadStream(std::FILE* stream) {
  std::fflush(stream);
  std::rewind(stream);
  std::string out;
  char buf[4096];
  std::size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, stream)) > 0) out.append(buf, got);
  return out;
}

// A Sogou list of about `lines` lines in GB18030 with CR LF: entries with
// Chinese phrases, comments, blank lines, phrases holding '=' and
// multi-line phrases.
inline std::string SampleSogouList(int lines, unsigned seed = 1) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> letter('a', 'z');
  std::uniform_int_distribution<int> digit(1, 9);
  std::uniform_int_distribution<int> hanzi(0x4E00, 0x9FA5);
  std::uniform_int_distribution<int> kind(0, 19);
  std::string out;
  for (int i = 0; i < lines; ++i) {
    const int k = kind(rng);
    if (k == 0) {
      out += "; " + Gb(u"自定义短语") + "\r\n";
      continue;
    }
    if (k == 1) {
      out += "\r\n";
      continue;
    }
    std::string key;
    for (int n = 1 + static_cast<int>(rng() % 5); n > 0; --n) key += static_cast<char>(letter(rng));
    out += key + "," + std::to_string(digit(rng)) + "=";
    if (k == 2) {
      out += "\r\nline one, a=b\r\n  line two\r\n";
      continue;
    }
    std::u16string phrase;
    for (int n = 2 + static_cast<int>(rng() % 8); n > 0; --n)
      phrase += static_cast<char16_t>(hanzi(rng));
    out += Gb(phrase);
    if (k == 3) out += "=x,y";
    out += "\r\n";
  }
  return out;
}

}  // namespace marvoset::testing
