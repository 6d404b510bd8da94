// Windows backend of the GB18030 <-> UTF-16 codec; see codec.h.
//
// GB18030 is GBK's two-byte code plus four-byte codes for everything GBK
// lacks. The two-byte part is read from the system's code page 936 (GBK)
// with MultiByteToWideChar once per process and corrected where GB18030-2022
// gives a code a standard character that code page 936 still leaves in the
// private-use area. The four-byte part is the standard's arithmetic over its
// table of ranges (Unicode's BMP) and over the supplementary planes. Code page
// 54936 is not used: it follows GB18030-2005, so texts would come out
// differently from the iconv backend, and not every system that runs Windows
// programs has it (Wine 8 does not).
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "convert/codec.h"

namespace marvoset {
namespace {

// GB18030-2022 two-byte codes whose character differs from code page 936's;
// six of them are outside the BMP.
struct TwoByteOverride {
  std::uint16_t code;
  char32_t code_point;
};

// A run of four-byte codes over consecutive BMP code points: the code with
// linear index `index` (from 81 30 81 30) is `unit`, and so on for `count`.
struct FourByteRange {
  std::uint32_t index;
  char16_t unit;
  std::uint32_t count;
};

// clang-format off
constexpr TwoByteOverride kTwoByteOverrides[] = {
    {0xA2E3, 0x20AC}, {0xA6D9, 0xFE10}, {0xA6DA, 0xFE12}, {0xA6DB, 0xFE11}, {0xA6DC, 0xFE13}, {0xA6DD, 0xFE14},
    {0xA6DE, 0xFE15}, {0xA6DF, 0xFE16}, {0xA6EC, 0xFE17}, {0xA6ED, 0xFE18}, {0xA6F3, 0xFE19}, {0xA8BC, 0x1E3F},
    {0xA8BF, 0x01F9}, {0xA989, 0x303E}, {0xA98A, 0x2FF0}, {0xA98B, 0x2FF1}, {0xA98C, 0x2FF2}, {0xA98D, 0x2FF3},
    {0xA98E, 0x2FF4}, {0xA98F, 0x2FF5}, {0xA990, 0x2FF6}, {0xA991, 0x2FF7}, {0xA992, 0x2FF8}, {0xA993, 0x2FF9},
    {0xA994, 0x2FFA}, {0xA995, 0x2FFB}, {0xFE50, 0x2E81}, {0xFE51, 0x20087}, {0xFE52, 0x20089}, {0xFE53, 0x200CC},
    {0xFE54, 0x2E84}, {0xFE55, 0x3473}, {0xFE56, 0x3447}, {0xFE57, 0x2E88}, {0xFE58, 0x2E8B}, {0xFE59, 0x9FB4},
    {0xFE5A, 0x359E}, {0xFE5B, 0x361A}, {0xFE5C, 0x360E}, {0xFE5D, 0x2E8C}, {0xFE5E, 0x2E97}, {0xFE5F, 0x396E},
    {0xFE60, 0x3918}, {0xFE61, 0x9FB5}, {0xFE62, 0x39CF}, {0xFE63, 0x39DF}, {0xFE64, 0x3A73}, {0xFE65, 0x39D0},
    {0xFE66, 0x9FB6}, {0xFE67, 0x9FB7}, {0xFE68, 0x3B4E}, {0xFE69, 0x3C6E}, {0xFE6A, 0x3CE0}, {0xFE6B, 0x2EA7},
    {0xFE6C, 0x215D7}, {0xFE6D, 0x9FB8}, {0xFE6E, 0x2EAA}, {0xFE6F, 0x4056}, {0xFE70, 0x415F}, {0xFE71, 0x2EAE},
    {0xFE72, 0x4337}, {0xFE73, 0x2EB3}, {0xFE74, 0x2EB6}, {0xFE75, 0x2EB7}, {0xFE76, 0x2298F}, {0xFE77, 0x43B1},
    {0xFE78, 0x43AC}, {0xFE79, 0x2EBB}, {0xFE7A, 0x43DD}, {0xFE7B, 0x44D6}, {0xFE7C, 0x4661}, {0xFE7D, 0x464C},
    {0xFE7E, 0x9FB9}, {0xFE80, 0x4723}, {0xFE81, 0x4729}, {0xFE82, 0x477C}, {0xFE83, 0x478D}, {0xFE84, 0x2ECA},
    {0xFE85, 0x4947}, {0xFE86, 0x497A}, {0xFE87, 0x497D}, {0xFE88, 0x4982}, {0xFE89, 0x4983}, {0xFE8A, 0x4985},
    {0xFE8B, 0x4986}, {0xFE8C, 0x499F}, {0xFE8D, 0x499B}, {0xFE8E, 0x49B7}, {0xFE8F, 0x49B6}, {0xFE90, 0x9FBA},
    {0xFE91, 0x241FE}, {0xFE92, 0x4CA3}, {0xFE93, 0x4C9F}, {0xFE94, 0x4CA0}, {0xFE95, 0x4CA1}, {0xFE96, 0x4C77},
    {0xFE97, 0x4CA2}, {0xFE98, 0x4D13}, {0xFE99, 0x4D14}, {0xFE9A, 0x4D15}, {0xFE9B, 0x4D16}, {0xFE9C, 0x4D17},
    {0xFE9D, 0x4D18}, {0xFE9E, 0x4D19}, {0xFE9F, 0x4DAE}, {0xFEA0, 0x9FBB},
};
constexpr FourByteRange kFourByteRanges[] = {
    {0, 0x0080, 36}, {36, 0x00A5, 2}, {38, 0x00A9, 7}, {45, 0x00B2, 5},
    {50, 0x00B8, 31}, {81, 0x00D8, 8}, {89, 0x00E2, 6}, {95, 0x00EB, 1},
    {96, 0x00EE, 4}, {100, 0x00F4, 3}, {103, 0x00F8, 1}, {104, 0x00FB, 1},
    {105, 0x00FD, 4}, {109, 0x0102, 17}, {126, 0x0114, 7}, {133, 0x011C, 15},
    {148, 0x012C, 24}, {172, 0x0145, 3}, {175, 0x0149, 4}, {179, 0x014E, 29},
    {208, 0x016C, 98}, {306, 0x01CF, 1}, {307, 0x01D1, 1}, {308, 0x01D3, 1},
    {309, 0x01D5, 1}, {310, 0x01D7, 1}, {311, 0x01D9, 1}, {312, 0x01DB, 1},
    {313, 0x01DD, 28}, {341, 0x01FA, 87}, {428, 0x0252, 15}, {443, 0x0262, 101},
    {544, 0x02C8, 1}, {545, 0x02CC, 13}, {558, 0x02DA, 183}, {741, 0x03A2, 1},
    {742, 0x03AA, 7}, {749, 0x03C2, 1}, {750, 0x03CA, 55}, {805, 0x0402, 14},
    {819, 0x0450, 1}, {820, 0x0452, 6637}, {7457, 0xE7C7, 1}, {7458, 0x1E40, 464},
    {7922, 0x2011, 2}, {7924, 0x2017, 1}, {7925, 0x201A, 2}, {7927, 0x201E, 7},
    {7934, 0x2027, 9}, {7943, 0x2031, 1}, {7944, 0x2034, 1}, {7945, 0x2036, 5},
    {7950, 0x203C, 112}, {8062, 0x20AD, 86}, {8148, 0x2104, 1}, {8149, 0x2106, 3},
    {8152, 0x210A, 12}, {8164, 0x2117, 10}, {8174, 0x2122, 62}, {8236, 0x216C, 4},
    {8240, 0x217A, 22}, {8262, 0x2194, 2}, {8264, 0x219A, 110}, {8374, 0x2209, 6},
    {8380, 0x2210, 1}, {8381, 0x2212, 3}, {8384, 0x2216, 4}, {8388, 0x221B, 2},
    {8390, 0x2221, 2}, {8392, 0x2224, 1}, {8393, 0x2226, 1}, {8394, 0x222C, 2},
    {8396, 0x222F, 5}, {8401, 0x2238, 5}, {8406, 0x223E, 10}, {8416, 0x2249, 3},
    {8419, 0x224D, 5}, {8424, 0x2253, 13}, {8437, 0x2262, 2}, {8439, 0x2268, 6},
    {8445, 0x2270, 37}, {8482, 0x2296, 3}, {8485, 0x229A, 11}, {8496, 0x22A6, 25},
    {8521, 0x22C0, 82}, {8603, 0x2313, 333}, {8936, 0x246A, 10}, {8946, 0x249C, 100},
    {9046, 0x254C, 4}, {9050, 0x2574, 13}, {9063, 0x2590, 3}, {9066, 0x2596, 10},
    {9076, 0x25A2, 16}, {9092, 0x25B4, 8}, {9100, 0x25BE, 8}, {9108, 0x25C8, 3},
    {9111, 0x25CC, 2}, {9113, 0x25D0, 18}, {9131, 0x25E6, 31}, {9162, 0x2607, 2},
    {9164, 0x260A, 54}, {9218, 0x2641, 1}, {9219, 0x2643, 2110}, {11329, 0x2E82, 2},
    {11331, 0x2E85, 3}, {11334, 0x2E89, 2}, {11336, 0x2E8D, 10}, {11346, 0x2E98, 15},
    {11361, 0x2EA8, 2}, {11363, 0x2EAB, 3}, {11366, 0x2EAF, 4}, {11370, 0x2EB4, 2},
    {11372, 0x2EB8, 3}, {11375, 0x2EBC, 14}, {11389, 0x2ECB, 293}, {11682, 0x2FFC, 4},
    {11686, 0x3004, 1}, {11687, 0x3018, 5}, {11692, 0x301F, 2}, {11694, 0x302A, 20},
    {11714, 0x303F, 2}, {11716, 0x3094, 7}, {11723, 0x309F, 2}, {11725, 0x30F7, 5},
    {11730, 0x30FF, 6}, {11736, 0x312A, 246}, {11982, 0x322A, 7}, {11989, 0x3232, 113},
    {12102, 0x32A4, 234}, {12336, 0x3390, 12}, {12348, 0x339F, 2}, {12350, 0x33A2, 34},
    {12384, 0x33C5, 9}, {12393, 0x33CF, 2}, {12395, 0x33D3, 2}, {12397, 0x33D6, 113},
    {12510, 0x3448, 43}, {12553, 0x3474, 298}, {12851, 0x359F, 111}, {12962, 0x360F, 11},
    {12973, 0x361B, 765}, {13738, 0x3919, 85}, {13823, 0x396F, 96}, {13919, 0x39D1, 14},
    {13933, 0x39E0, 147}, {14080, 0x3A74, 218}, {14298, 0x3B4F, 287}, {14585, 0x3C6F, 113},
    {14698, 0x3CE1, 885}, {15583, 0x4057, 264}, {15847, 0x4160, 471}, {16318, 0x4338, 116},
    {16434, 0x43AD, 4}, {16438, 0x43B2, 43}, {16481, 0x43DE, 248}, {16729, 0x44D7, 373},
    {17102, 0x464D, 20}, {17122, 0x4662, 193}, {17315, 0x4724, 5}, {17320, 0x472A, 82},
    {17402, 0x477D, 16}, {17418, 0x478E, 441}, {17859, 0x4948, 50}, {17909, 0x497B, 2},
    {17911, 0x497E, 4}, {17915, 0x4984, 1}, {17916, 0x4987, 20}, {17936, 0x499C, 3},
    {17939, 0x49A0, 22}, {17961, 0x49B8, 703}, {18664, 0x4C78, 39}, {18703, 0x4CA4, 111},
    {18814, 0x4D1A, 148}, {18962, 0x4DAF, 81}, {19043, 0x9FA6, 14}, {19065, 0x9FBC, 14404},
    {33469, 0xE76C, 1}, {33470, 0xE7C8, 1}, {33471, 0xE7E7, 13}, {33484, 0xE815, 1},
    {33485, 0xE819, 5}, {33490, 0xE81F, 7}, {33497, 0xE827, 4}, {33501, 0xE82D, 4},
    {33505, 0xE833, 8}, {33513, 0xE83C, 7}, {33520, 0xE844, 16}, {33536, 0xE856, 14},
    {33550, 0xE865, 4295}, {37845, 0xF92D, 76}, {37921, 0xF97A, 27}, {37948, 0xF996, 81},
    {38029, 0xF9E8, 9}, {38038, 0xF9F2, 26}, {38064, 0xFA10, 1}, {38065, 0xFA12, 1},
    {38066, 0xFA15, 3}, {38069, 0xFA19, 6}, {38075, 0xFA22, 1}, {38076, 0xFA25, 2},
    {38078, 0xFA2A, 998}, {39086, 0xFE1A, 22}, {39108, 0xFE32, 1}, {39109, 0xFE45, 4},
    {39113, 0xFE53, 1}, {39114, 0xFE58, 1}, {39115, 0xFE67, 1}, {39116, 0xFE6C, 149},
    {39265, 0xFF5F, 129}, {39394, 0xFFE6, 26},
};
// clang-format on

constexpr int kTrailCount = 0xFF - 0x40;              // trail bytes 0x40..0xFE
constexpr int kTwoByteCount = 126 * kTrailCount;      // lead bytes 0x81..0xFE
constexpr std::uint32_t kSupplementaryBase = 189000;  // linear index of 90 30 81 30
// GB18030 of U+FFFD, written for a unit that GB18030 cannot represent.
constexpr char kReplacementGb18030[] = "\x84\x31\xA4\x37";

bool IsTrail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE); }

class Tables {
 public:
  Tables() : decode_(kTwoByteCount, 0), encode_(0x10000, 0) {
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        wchar_t unit = 0;
        if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, pair, 2, &unit, 1) == 1) {
          decode_[TwoByteSlot(lead, trail)] = static_cast<char16_t>(unit);
        }
      }
    }
    for (const TwoByteOverride& o : kTwoByteOverrides) {
      decode_[TwoByteSlot(o.code >> 8, o.code & 0xFF)] = o.code_point;
    }
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        const char32_t cp = decode_[TwoByteSlot(lead, trail)];
        if (cp >= 0x80 && cp <= 0xFFFF && encode_[cp] == 0) {
          encode_[cp] = static_cast<std::uint16_t>(lead << 8 | trail);
        }
      }
    }
    by_unit_.assign(std::begin(kFourByteRanges), std::end(kFourByteRanges));
    std::sort(by_unit_.begin(), by_unit_.end(),
              [](const FourByteRange& a, const FourByteRange& b) { return a.unit < b.unit; });
  }

  // The character of a two-byte code, or 0 when it has none.
  char32_t DecodeTwoByte(unsigned char lead, unsigned char trail) const {
    return decode_[TwoByteSlot(lead, trail)];
  }
  // The two-byte code of a BMP unit, or 0 when it has none.
  std::uint16_t EncodeTwoByte(char16_t unit) const { return encode_[unit]; }
  // The two-byte code of a code point beyond the BMP, or 0 (most have none).
  static std::uint16_t EncodeTwoByteSupplementary(char32_t cp) {
    for (const TwoByteOverride& o : kTwoByteOverrides) {
      if (o.code_point == cp) return o.code;
    }
    return 0;
  }

  // The BMP unit of a four-byte code's linear index, or 0.
  static char16_t DecodeFourByte(std::uint32_t index) {
    const auto* end = std::end(kFourByteRanges);
    const auto* it =
        std::upper_bound(std::begin(kFourByteRanges), end, index,
                         [](std::uint32_t i, const FourByteRange& r) { return i < r.index; });
    if (it == std::begin(kFourByteRanges)) return 0;
    --it;
    if (index - it->index >= it->count) return 0;
    return static_cast<char16_t>(it->unit + (index - it->index));
  }

  // The linear four-byte index of a BMP unit, or -1.
  std::int64_t FourByteIndex(char16_t unit) const {
    auto it = std::upper_bound(by_unit_.begin(), by_unit_.end(), unit,
                               [](char16_t u, const FourByteRange& r) { return u < r.unit; });
    if (it == by_unit_.begin()) return -1;
    --it;
    if (static_cast<std::uint32_t>(unit - it->unit) >= it->count) return -1;
    return static_cast<std::int64_t>(it->index) + (unit - it->unit);
  }

 private:
  static int TwoByteSlot(int lead, int trail) {
    return (lead - 0x81) * kTrailCount + (trail - 0x40);
  }

  std::vector<char32_t> decode_;
  std::vector<std::uint16_t> encode_;
  std::vector<FourByteRange> by_unit_;
};

const Tables& GetTables() {
  static const Tables tables;
  return tables;
}

void AppendCodePoint(std::u16string& out, char32_t cp) {
  if (cp <= 0xFFFF) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
  }
}

void AppendFourByte(std::string& out, std::uint32_t index) {
  char bytes[4];
  bytes[3] = static_cast<char>(0x30 + index % 10);
  index /= 10;
  bytes[2] = static_cast<char>(0x81 + index % 126);
  index /= 126;
  bytes[1] = static_cast<char>(0x30 + index % 10);
  index /= 10;
  bytes[0] = static_cast<char>(0x81 + index);
  out.append(bytes, 4);
}

}  // namespace

std::u16string Gb18030ToUtf16(std::string_view bytes) {
  std::u16string out;
  if (bytes.empty()) return out;
  const Tables& tables = GetTables();
  out.reserve(bytes.size());
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t pos = 0;
  while (pos < n) {
    const unsigned char lead = b[pos];
    if (lead < 0x80) {
      out.push_back(lead);
      ++pos;
      continue;
    }
    if (lead != 0x80 && lead != 0xFF && pos + 1 < n) {
      const unsigned char second = b[pos + 1];
      if (IsTrail(second)) {
        if (const char32_t cp = tables.DecodeTwoByte(lead, second); cp != 0) {
          AppendCodePoint(out, cp);
          pos += 2;
          continue;
        }
      } else if (second >= 0x30 && second <= 0x39 && pos + 3 < n && b[pos + 2] >= 0x81 &&
                 b[pos + 2] <= 0xFE && b[pos + 3] >= 0x30 && b[pos + 3] <= 0x39) {
        const std::uint32_t index =
            ((static_cast<std::uint32_t>(lead - 0x81) * 10 + (second - 0x30)) * 126 +
             (b[pos + 2] - 0x81)) *
                10 +
            (b[pos + 3] - 0x30);
        if (index < kSupplementaryBase) {
          if (const char16_t unit = Tables::DecodeFourByte(index); unit != 0) {
            out.push_back(unit);
            pos += 4;
            continue;
          }
        } else if (index - kSupplementaryBase <= 0x10FFFF - 0x10000) {
          AppendCodePoint(out, 0x10000 + (index - kSupplementaryBase));
          pos += 4;
          continue;
        }
      }
    }
    // No valid sequence starts here: escape this byte and go on with the next.
    out.push_back(static_cast<char16_t>(kEscapedByteBase + lead));
    ++pos;
  }
  return out;
}

std::string Utf16ToGb18030(std::u16string_view units) {
  std::string out;
  if (units.empty()) return out;
  const Tables& tables = GetTables();
  out.reserve(units.size() * 2);
  const std::size_t n = units.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t unit = units[i];
    if (unit < 0x80) {
      out.push_back(static_cast<char>(unit));
      continue;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < n && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      const std::uint32_t offset = ((unit - 0xD800u) << 10) + (units[i + 1] - 0xDC00u);
      if (const std::uint16_t code = Tables::EncodeTwoByteSupplementary(0x10000 + offset);
          code != 0) {
        out.push_back(static_cast<char>(code >> 8));
        out.push_back(static_cast<char>(code & 0xFF));
      } else {
        AppendFourByte(out, kSupplementaryBase + offset);
      }
      ++i;
      continue;
    }
    if (unit >= kEscapedByteBase + 0x80 && unit <= kEscapedByteBase + 0xFF) {
      out.push_back(static_cast<char>(unit - kEscapedByteBase));
      continue;
    }
    if (unit >= 0xD800 && unit <= 0xDFFF) {
      out.append(kReplacementGb18030, 4);
      continue;
    }
    if (const std::uint16_t code = tables.EncodeTwoByte(unit); code != 0) {
      out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
      continue;
    }
    if (const std::int64_t index = tables.FourByteIndex(unit); index >= 0) {
      AppendFourByte(out, static_cast<std::uint32_t>(index));
      continue;
    }
    out.append(kReplacementGb18030, 4);
  }
  return out;
}

}  // namespace marvoset
