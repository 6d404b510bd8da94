// RegexObject over the engine of regex_engine.h; see regex_object.h.
#include "convert/regex_object.h"

#include <algorithm>
#include <vector>

#include "convert/codec.h"
#include "convert/regex_engine.h"

namespace marvoset {
namespace {

constexpr std::size_t kMaxReplaceUnits = std::size_t{1} << 27;

}  // namespace

struct RegexObject::State {
  std::shared_ptr<const CompiledRegex> regex;  // null before Create or for an invalid pattern
  bool global = true;
  Text pattern;
  Text subject;
  std::u16string subject16;
  // Matches found so far, each as engine spans (see CompiledRegex::Search).
  std::vector<std::vector<std::ptrdiff_t>> matches;
  std::size_t next_start = 0;
  bool exhausted = true;
  bool failed = false;
  // Byte offset of unit `memo_unit` of the subject, for positions.
  std::size_t memo_unit = 0;
  std::size_t memo_byte = 0;

  bool Usable() const { return regex != nullptr && !failed; }

  // Finds one more match; false when there is none or the search failed.
  bool FindNext() {
    if (!Usable() || exhausted) return false;
    std::vector<std::ptrdiff_t> spans;
    switch (regex->Search(subject16, next_start, &spans)) {
      case SearchResult::kNoMatch:
        exhausted = true;
        return false;
      case SearchResult::kError:
        // A search that hit the limits fails the whole call.
        failed = true;
        exhausted = true;
        matches.clear();
        return false;
      case SearchResult::kMatch:
        break;
    }
    const auto begin = static_cast<std::size_t>(spans[0]);
    const auto end = static_cast<std::size_t>(spans[1]);
    next_start = end;
    if (begin == end) {
      // An empty match: step over one character; a surrogate pair is one
      // character and CR LF one line break, never to be split.
      const bool pair = end + 1 < subject16.size() &&
                        ((subject16[end] >= 0xD800 && subject16[end] <= 0xDBFF &&
                          subject16[end + 1] >= 0xDC00 && subject16[end + 1] <= 0xDFFF) ||
                         (subject16[end] == u'\r' && subject16[end + 1] == u'\n'));
      next_start = end + (pair ? 2 : 1);
    }
    matches.push_back(std::move(spans));
    if (!global || next_start > subject16.size()) exhausted = true;
    return true;
  }

  // True when match n (1-based) exists.
  bool EnsureMatch(int n) {
    if (n < 1) return false;
    while (matches.size() < static_cast<std::size_t>(n)) {
      if (!FindNext()) return false;
    }
    return Usable();
  }

  void FindAll() {
    while (FindNext()) {
    }
  }

  std::u16string_view Span(const std::vector<std::ptrdiff_t>& spans, int group) const {
    const std::ptrdiff_t b = spans[2 * group];
    const std::ptrdiff_t e = spans[2 * group + 1];
    if (b < 0 || e < b) return {};
    return std::u16string_view(subject16).substr(static_cast<std::size_t>(b),
                                                 static_cast<std::size_t>(e - b));
  }

  int ByteOffset(std::ptrdiff_t unit) {
    if (unit < 0) return -1;
    const auto u = static_cast<std::size_t>(unit);
    if (u < memo_unit) {
      memo_unit = 0;
      memo_byte = 0;
    }
    memo_byte +=
        Utf16ToGb18030(std::u16string_view(subject16).substr(memo_unit, u - memo_unit)).size();
    memo_unit = u;
    return static_cast<int>(memo_byte);
  }

  // Appends `replacement` for one match, with JavaScript's $ forms expanded.
  void Expand(std::u16string_view replacement, const std::vector<std::ptrdiff_t>& spans,
              std::u16string* out) const {
    const int groups = regex->GroupCount();
    const std::size_t n = replacement.size();
    for (std::size_t i = 0; i < n; ++i) {
      if (replacement[i] != u'$' || i + 1 == n) {
        // Copy up to the next $ in one go.
        const std::size_t next = std::min(replacement.find(u'$', i + 1), n);
        out->append(replacement.substr(i, next - i));
        i = next - 1;
        continue;
      }
      const char16_t d = replacement[i + 1];
      if (d == u'$') {
        *out += u'$';
        ++i;
      } else if (d == u'&') {
        *out += Span(spans, 0);
        ++i;
      } else if (d == u'`') {
        *out += std::u16string_view(subject16).substr(0, static_cast<std::size_t>(spans[0]));
        ++i;
      } else if (d == u'\'') {
        *out += std::u16string_view(subject16).substr(static_cast<std::size_t>(spans[1]));
        ++i;
      } else if (d >= u'0' && d <= u'9') {
        const int one = d - u'0';
        if (i + 2 < n && replacement[i + 2] >= u'0' && replacement[i + 2] <= u'9') {
          const int two = one * 10 + (replacement[i + 2] - u'0');
          if (two >= 1 && two <= groups) {
            *out += Span(spans, two);
            i += 2;
            continue;
          }
        }
        if (one >= 1 && one <= groups) {
          *out += Span(spans, one);
          ++i;
        } else {
          *out += u'$';
        }
      } else if (d == u'<' && regex->HasNamedGroups()) {
        const std::size_t close = replacement.find(u'>', i + 2);
        if (close == std::u16string_view::npos) {
          *out += u'$';
          continue;
        }
        const int group = regex->GroupNumber(replacement.substr(i + 2, close - i - 2));
        if (group > 0) *out += Span(spans, group);
        i = close;
      } else {
        *out += u'$';
      }
    }
  }
};

RegexObject::RegexObject() : state_(std::make_unique<State>()) {}
RegexObject::~RegexObject() = default;
RegexObject::RegexObject(const RegexObject& other)
    : state_(std::make_unique<State>(*other.state_)) {}
RegexObject& RegexObject::operator=(const RegexObject& other) {
  if (this != &other) *state_ = *other.state_;
  return *this;
}

bool RegexObject::Create(std::string_view pattern, std::string_view subject,
                         std::optional<bool> case_sensitive, std::optional<bool> multiline,
                         std::optional<bool> global) {
  State fresh;
  RegexFlags flags;
  flags.ignore_case = !case_sensitive.value_or(false);
  flags.multiline = multiline.value_or(true);
  fresh.global = global.value_or(true);
  fresh.regex = CompileRegex(Gb18030ToUtf16(pattern), flags);
  if (fresh.regex != nullptr) {
    fresh.pattern = Text(pattern);
    fresh.subject = Text(subject);
    fresh.subject16 = Gb18030ToUtf16(subject);
    fresh.exhausted = false;
    fresh.EnsureMatch(1);  // runs the first search now, so a runaway pattern fails here
  }
  *state_ = std::move(fresh);
  return state_->Usable();
}

Text RegexObject::GetPattern() const { return state_->Usable() ? state_->pattern : Text(); }

Text RegexObject::Replace(std::string_view replacement) {
  State& s = *state_;
  if (!s.Usable()) return Text();
  s.FindAll();
  if (!s.Usable()) return Text();
  if (s.matches.empty()) return s.subject;
  const std::u16string repl16 = Gb18030ToUtf16(replacement);
  std::u16string out;
  out.reserve(s.subject16.size());
  std::size_t copied = 0;
  for (const auto& spans : s.matches) {
    const auto begin = static_cast<std::size_t>(spans[0]);
    out.append(s.subject16, copied, begin - copied);
    s.Expand(repl16, spans, &out);
    copied = static_cast<std::size_t>(spans[1]);
    // $` and $' can make the result grow with the square of the subject;
    // past a bound the call fails instead of exhausting memory.
    if (out.size() > kMaxReplaceUnits) return Text();
  }
  out.append(s.subject16, copied, std::u16string::npos);
  return Utf16ToGb18030(out);
}

int RegexObject::GetMatchCount() {
  state_->FindAll();
  return state_->Usable() ? static_cast<int>(state_->matches.size()) : 0;
}

Text RegexObject::GetMatchText(int n, int* position) {
  State& s = *state_;
  if (!s.EnsureMatch(n)) {
    if (position != nullptr) *position = -1;
    return Text();
  }
  const auto& spans = s.matches[static_cast<std::size_t>(n - 1)];
  if (position != nullptr) *position = s.ByteOffset(spans[0]);
  return Utf16ToGb18030(s.Span(spans, 0));
}

Text RegexObject::GetSubMatchText(int n, int m, int* position) {
  State& s = *state_;
  if (!s.EnsureMatch(n) || m < 1 || m > s.regex->GroupCount()) {
    if (position != nullptr) *position = -1;
    return Text();
  }
  const auto& spans = s.matches[static_cast<std::size_t>(n - 1)];
  if (position != nullptr) *position = s.ByteOffset(spans[2 * m]);
  return Utf16ToGb18030(s.Span(spans, m));
}

int RegexObject::GetSubMatchCount() {
  return state_->EnsureMatch(1) ? state_->regex->GroupCount() : 0;
}

}  // namespace marvoset
