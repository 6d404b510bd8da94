// PCRE2 (16-bit, JIT) backend of the regular-expression engine; see
// regex_engine.h.
#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <map>
#include <utility>

#include "convert/regex_engine.h"

namespace marvoset {
namespace {

// Bounds that stop a runaway (catastrophically backtracking) search.
constexpr uint32_t kMatchLimit = 10'000'000;
constexpr uint32_t kDepthLimit = 100'000;
constexpr std::size_t kJitStackMax = 8 * 1024 * 1024;
constexpr std::size_t kCacheCapacity = 256;

// JavaScript's white space and line terminators, as class members.
constexpr std::u16string_view kSpaceSet =
    u"\\t\\n\\x{0b}\\f\\r \\x{a0}\\x{1680}\\x{2000}-\\x{200a}\\x{2028}\\x{2029}\\x{202f}"
    u"\\x{205f}\\x{3000}\\x{feff}";

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Reads `digits` hex digits at p[i]; -1 when they are not all there.
long ReadHex(std::u16string_view p, std::size_t i, int digits) {
  if (i + digits > p.size()) return -1;
  long v = 0;
  for (int k = 0; k < digits; ++k) {
    const int h = HexValue(p[i + k]);
    if (h < 0) return -1;
    v = v * 16 + h;
  }
  return v;
}

void AppendCodePoint(std::u16string* out, long cp) {
  static const char16_t kHex[] = u"0123456789abcdef";
  std::u16string digits;
  do {
    digits.insert(digits.begin(), kHex[cp % 16]);
    cp /= 16;
  } while (cp > 0);
  *out += u"\\x{" + digits + u"}";
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

class Pcre2Regex final : public CompiledRegex {
 public:
  explicit Pcre2Regex(pcre2_code* code) : code_(code) {
    uint32_t count = 0;
    pcre2_pattern_info(code_, PCRE2_INFO_CAPTURECOUNT, &count);
    group_count_ = static_cast<int>(count);
    uint32_t names = 0;
    pcre2_pattern_info(code_, PCRE2_INFO_NAMECOUNT, &names);
    has_names_ = names > 0;
  }
  ~Pcre2Regex() override { pcre2_code_free(code_); }
  Pcre2Regex(const Pcre2Regex&) = delete;
  Pcre2Regex& operator=(const Pcre2Regex&) = delete;

  int GroupCount() const override { return group_count_; }
  bool HasNamedGroups() const override { return has_names_; }
  int GroupNumber(std::u16string_view name) const override {
    std::u16string z(name);
    const int n = pcre2_substring_number_from_name(code_, reinterpret_cast<PCRE2_SPTR>(z.c_str()));
    return n > 0 ? n : 0;
  }

  SearchResult Search(std::u16string_view subject, std::size_t start,
                      std::vector<std::ptrdiff_t>* spans) const override {
    if (start > subject.size()) return SearchResult::kNoMatch;
    MatchResources& res = Resources();
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code_, nullptr);
    if (data == nullptr) return SearchResult::kError;
    const int rc = pcre2_match(code_, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(),
                               start, 0, data, res.context);
    SearchResult result = SearchResult::kMatch;
    if (rc == PCRE2_ERROR_NOMATCH) {
      result = SearchResult::kNoMatch;
    } else if (rc < 0) {
      result = SearchResult::kError;
    } else {
      const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data);
      const std::size_t n = 2 * static_cast<std::size_t>(group_count_ + 1);
      spans->assign(n, -1);
      for (std::size_t i = 0; i < n && i < 2 * pcre2_get_ovector_count(data); ++i) {
        if (ov[i] != PCRE2_UNSET) (*spans)[i] = static_cast<std::ptrdiff_t>(ov[i]);
      }
      if ((*spans)[0] < 0 || (*spans)[1] < (*spans)[0]) result = SearchResult::kError;  // \K tricks
    }
    pcre2_match_data_free(data);
    return result;
  }

 private:
  // Match context with limits and a JIT stack, one per thread.
  struct MatchResources {
    MatchResources() {
      context = pcre2_match_context_create(nullptr);
      stack = pcre2_jit_stack_create(32 * 1024, kJitStackMax, nullptr);
      if (context != nullptr) {
        pcre2_set_match_limit(context, kMatchLimit);
        pcre2_set_depth_limit(context, kDepthLimit);
        if (stack != nullptr) pcre2_jit_stack_assign(context, nullptr, stack);
      }
    }
    ~MatchResources() {
      pcre2_match_context_free(context);
      pcre2_jit_stack_free(stack);
    }
    MatchResources(const MatchResources&) = delete;
    MatchResources& operator=(const MatchResources&) = delete;
    pcre2_match_context* context = nullptr;
    pcre2_jit_stack* stack = nullptr;
  };

  static MatchResources& Resources() {
    thread_local MatchResources resources;
    return resources;
  }

  pcre2_code* code_;
  int group_count_ = 0;
  bool has_names_ = false;
};

std::shared_ptr<const CompiledRegex> Compile(std::u16string_view pattern, RegexFlags flags) {
  const std::u16string translated = TranslatePattern(pattern);
  pcre2_compile_context* cc = pcre2_compile_context_create(nullptr);
  if (cc == nullptr) return nullptr;
  pcre2_set_newline(cc, PCRE2_NEWLINE_ANYCRLF);
  uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_ALLOW_EMPTY_CLASS |
                     PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY;
  if (flags.ignore_case) options |= PCRE2_CASELESS;
  if (flags.multiline) options |= PCRE2_MULTILINE;
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated.data()),
                                   translated.size(), options, &error, &offset, cc);
  pcre2_compile_context_free(cc);
  if (code == nullptr) return nullptr;
  pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);  // the interpreter stands in if JIT fails
  return std::make_shared<Pcre2Regex>(code);
}

}  // namespace

std::u16string TranslatePattern(std::u16string_view p) {
  std::u16string out;
  out.reserve(p.size() + 8);
  bool in_class = false;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const char16_t c = p[i];
    if (c != u'\\') {
      if (c == u'[') {
        if (in_class) {
          out += u"\\[";  // keeps POSIX classes such as [:alpha:] literal
          continue;
        }
        in_class = true;
        out += c;
        if (i + 1 < p.size() && p[i + 1] == u'^') out += p[++i];
        if (i + 1 < p.size() && p[i + 1] == u']') {  // [] and [^]
          out += p[++i];
          in_class = false;
        }
        continue;
      }
      if (c == u']' && in_class) in_class = false;
      out += c;
      continue;
    }
    if (i + 1 >= p.size()) {
      out += c;  // a trailing backslash: the engine refuses the pattern
      continue;
    }
    const char16_t d = p[++i];
    switch (d) {
      case u'u': {
        const long v = ReadHex(p, i + 1, 4);
        if (v < 0) {
          out += u'u';
          break;
        }
        i += 4;
        long cp = v;
        if (v >= 0xD800 && v <= 0xDBFF && i + 2 < p.size() && p[i + 1] == u'\\' &&
            p[i + 2] == u'u') {
          const long low = ReadHex(p, i + 3, 4);
          if (low >= 0xDC00 && low <= 0xDFFF) {
            cp = 0x10000 + ((v - 0xD800) << 10) + (low - 0xDC00);
            i += 6;
          }
        }
        AppendCodePoint(&out, cp);
        break;
      }
      case u'x': {
        const long v = ReadHex(p, i + 1, 2);
        if (v < 0) {
          out += u'x';
          break;
        }
        i += 2;
        AppendCodePoint(&out, v);
        break;
      }
      case u's':
        if (in_class) {
          out += kSpaceSet;
        } else {
          out += u'[';
          out += kSpaceSet;
          out += u']';
        }
        break;
      case u'S':
        if (in_class) {
          out += u"\\S";
        } else {
          out += u"[^";
          out += kSpaceSet;
          out += u']';
        }
        break;
      case u'v':
        out += u"\\x{0b}";
        break;
      case u'k':
        if (i + 1 < p.size() && p[i + 1] == u'<') {
          out += u"\\k";
        } else {
          out += u'k';
        }
        break;
      case u'd':
      case u'D':
      case u'w':
      case u'W':
      case u'b':
      case u'B':
      case u'n':
      case u'r':
      case u't':
      case u'f':
      case u'c':
        out += c;
        out += d;
        break;
      default:
        if (IsAsciiLetter(d)) {
          out += d;  // an identity escape: the letter itself
        } else {
          out += c;  // digits (back-references, \0) and punctuation
          out += d;
        }
        break;
    }
  }
  return out;
}

std::shared_ptr<const CompiledRegex> CompileRegex(std::u16string_view pattern, RegexFlags flags) {
  using Key = std::pair<std::u16string, int>;
  thread_local std::map<Key, std::shared_ptr<const CompiledRegex>> cache;
  Key key{std::u16string(pattern), (flags.ignore_case ? 1 : 0) | (flags.multiline ? 2 : 0)};
  if (auto it = cache.find(key); it != cache.end()) return it->second;
  if (cache.size() >= kCacheCapacity) cache.clear();
  auto compiled = Compile(pattern, flags);
  cache.emplace(std::move(key), compiled);
  return compiled;
}

}  // namespace marvoset
