// Generates realistic custom-phrase lists for benchmarks: short pinyin keys,
// Chinese phrases (with the odd emoji), comment lines, blank lines and
// multi-line phrases whose body is code. Deterministic for a given seed.
#pragma once

#include <random>
#include <string>

#include "convert/codec.h"

namespace marvoset::bench {

// A Sogou list (`key,digit=phrase`, CR LF) of about `bytes` bytes, GB18030.
inline std::string GenerateSogouList(std::size_t bytes, unsigned seed = 1) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> letter('a', 'z');
  std::uniform_int_distribution<int> key_length(1, 6);
  std::uniform_int_distribution<int> digit(1, 9);
  std::uniform_int_distribution<int> phrase_length(2, 14);
  std::uniform_int_distribution<char16_t> hanzi(0x4E00, 0x9FA5);
  std::uniform_int_distribution<int> kind(0, 99);
  std::string out;
  out.reserve(bytes + 256);
  while (out.size() < bytes) {
    const int k = kind(rng);
    if (k == 0) {
      out += "; ";
      out += Utf16ToGb18030(u"常用短语，请勿删除");
      out += "\r\n";
      continue;
    }
    if (k == 1) {
      out += "\r\n";
      continue;
    }
    std::string key;
    for (int i = key_length(rng); i > 0; --i) key += static_cast<char>(letter(rng));
    out += key + "," + std::to_string(digit(rng)) + "=";
    if (k == 2) {
      out += "\r\n    $ch = curl_init();\r\n    curl_setopt($ch, CURLOPT_URL, $url);\r\n";
      continue;
    }
    std::u16string phrase;
    for (int i = phrase_length(rng); i > 0; --i) phrase += hanzi(rng);
    if (k == 3) phrase += u"😀";
    out += Utf16ToGb18030(phrase);
    out += "\r\n";
  }
  return out;
}

}  // namespace marvoset::bench
