// Fuzz target: RegexObject with any pattern, subject, flags and
// replacement. No crash, no hang (the match limits hold), and a failed
// Create leaves every read empty.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "convert/regex_object.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marvoset;
  if (size < 1) return 0;
  const uint8_t flags = data[0];
  const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  // pattern \0 subject \0 replacement
  const std::size_t a = rest.find('\0');
  const std::size_t b = a == std::string::npos ? a : rest.find('\0', a + 1);
  const std::string pattern = rest.substr(0, a);
  const std::string subject = a == std::string::npos ? "" : rest.substr(a + 1, b - a - 1);
  std::string replacement = b == std::string::npos ? "$&" : rest.substr(b + 1);
  // $` and $' make a global replace quadratic in the subject, as in
  // JavaScript; keep that product small so the time goes into finding faults.
  if (subject.size() > 256) {
    for (char& c : replacement) {
      if (c == '`' || c == '\'') c = 'x';
    }
  }
  // Likewise an empty pattern with a long replacement: one copy per character.
  if (subject.size() * replacement.size() > (1u << 20)) replacement.resize(64);

  RegexObject re;
  const bool ok = re.Create(pattern, subject, (flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0);
  int position = 0;
  const std::string first = re.GetMatchText(1, &position);
  const int count = re.GetMatchCount();
  const std::string replaced = re.Replace(replacement);
  const std::string sub = re.GetSubMatchText(1 + flags % 3, 1 + (flags >> 4) % 3, &position);
  const int groups = re.GetSubMatchCount();
  if (!ok) {
    if (!first.empty() || count != 0 || !replaced.empty() || !sub.empty() || groups != 0) {
      std::abort();
    }
    return 0;
  }
  if (!first.empty() && count == 0) std::abort();
  if (count > 0 && position >= 0 && static_cast<std::size_t>(position) > subject.size())
    std::abort();
  RegexObject copy(re);
  if (copy.GetMatchCount() != re.GetMatchCount()) std::abort();
  return 0;
}
