// The regular-expression engine behind RegexObject: JavaScript-style
// patterns over UTF-16 text, compiled once and cached.
//
// Semantics: ^ and $ see CR, LF and CR LF as line ends in multi-line mode,
// a dot never matches a line end, \d and \w are ASCII, \s includes the
// Unicode spaces (U+00A0, U+3000, ...), \uXXXX and \xXX escapes, and a
// back-reference to a group that took no part matches the empty string.
// Every search is bounded by match limits; a search that hits them reports
// kError instead of running away. Units U+DC80..U+DCFF that stand for
// undecodable bytes match nothing but never stop a search.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace marvoset {

struct RegexFlags {
  bool ignore_case = true;
  bool multiline = true;
};

enum class SearchResult { kMatch, kNoMatch, kError };

class CompiledRegex {
 public:
  virtual ~CompiledRegex() = default;

  // Number of capturing groups.
  virtual int GroupCount() const = 0;
  // Number of the group called `name`, or 0 when there is none.
  virtual int GroupNumber(std::u16string_view name) const = 0;
  virtual bool HasNamedGroups() const = 0;

  // Finds the leftmost match that starts at `start` or later. On kMatch,
  // `spans` holds 2 * (GroupCount() + 1) unit offsets, begin and end of the
  // whole match and of each group; -1 for a group that took no part.
  virtual SearchResult Search(std::u16string_view subject, std::size_t start,
                              std::vector<std::ptrdiff_t>* spans) const = 0;
};

// The compiled form of `pattern`, shared from a per-thread cache, or null
// when the pattern is invalid.
std::shared_ptr<const CompiledRegex> CompileRegex(std::u16string_view pattern, RegexFlags flags);

// Rewrites a JavaScript pattern into the engine's syntax (exposed for tests).
std::u16string TranslatePattern(std::u16string_view pattern);

}  // namespace marvoset
