// RegexObject: pattern search and replacement over GB18030 texts with
// JavaScript-style regular expressions.
//
// Defaults: case-insensitive, multi-line (^ and $ at CR, LF or CR LF), global,
// never dot-all; \d is ASCII 0-9 only; \uXXXX escapes. Each Create starts a
// fresh search state (compiled patterns are cached and shared). Matches are
// found lazily: reading match 1 never scans past it. Nothing throws: an
// invalid pattern makes Create return false and every read give "" or 0, and
// a runaway pattern gives up at the engine's match limits and counts as a
// failed call. Positions are 0-based byte offsets in the subject. A global
// search steps past an empty match by one character, where a surrogate pair
// and CR LF each count as one. A Replace whose result would pass 128 Mi
// UTF-16 units (which $` and $' reach on long subjects) fails.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "convert/text_ops.h"

namespace marvoset {

class RegexObject {
 public:
  RegexObject();
  ~RegexObject();
  RegexObject(const RegexObject& other);
  RegexObject& operator=(const RegexObject& other);

  // Searches `subject` for `pattern`. True when the pattern compiled and the
  // search state exists, also when nothing matches.
  bool Create(std::string_view pattern, std::string_view subject,
              std::optional<bool> case_sensitive = std::nullopt,
              std::optional<bool> multiline = std::nullopt,
              std::optional<bool> global = std::nullopt);

  Text GetPattern() const;
  // The subject with the matches (every match when global, else the first)
  // replaced; $1..$99, $&, $`, $' and $$ expand as in JavaScript.
  Text Replace(std::string_view replacement);
  int GetMatchCount();
  // Text of match n (1-based); "" past the last match.
  Text GetMatchText(int n, int* position = nullptr);
  // Text of group m of match n; "" for a group that took no part.
  Text GetSubMatchText(int n, int m, int* position = nullptr);
  // Number of capturing groups (of match 1; 0 when nothing matched).
  int GetSubMatchCount();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace marvoset
