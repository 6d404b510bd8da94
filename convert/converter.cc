// Phrase-list conversion; see converter.h.
//
// The separators A and B (',' and '=') and the line-break bytes CR and LF
// can never be the second byte of a GB18030 character, so every occurrence
// of them is at a character boundary and plain byte searches find exactly
// the places a character-by-character scan would. The key rewrite (every B
// in the key becomes A) is a substitution of one punctuation character by
// another, which is what a global, case-insensitive replace of the literal
// pattern B gives; the conversion therefore keeps each line's length, and
// the output is the input with bytes exchanged in place, plus a final CR LF
// when the input lacks one.
#include "convert/converter.h"

#include <cstring>
#include <system_error>
#include <thread>

#include "convert/memory_hints.h"
#include "convert/regex_object.h"

namespace marvoset {
namespace {

// The probe runs over pieces of about this size, each cut after a line
// feed; its pattern cannot reach across a line end, so the first match is
// the same as over the whole text, and a long list whose first lines are
// entries costs one small piece.
constexpr std::size_t kProbeChunk = 64 * 1024;

// Offset of the CR of the first CR LF at or after `pos`; the text is known
// to end with CR LF.
std::size_t FindLineEnd(const char* data, std::size_t size, std::size_t pos) {
  for (;;) {
    const void* cr = std::memchr(data + pos, '\r', size - pos);
    pos = static_cast<std::size_t>(static_cast<const char*>(cr) - data);
    if (data[pos + 1] == '\n') return pos;
    ++pos;
  }
}

// An entry line starts with a key without either separator, the key
// separator B, one or more ASCII digits and the field separator A; `a` is
// the offset of the first A in the line.
bool IsEntryLine(std::string_view line, std::size_t a, const ConversionRule& rule) {
  if (a == std::string_view::npos) return false;
  const std::string_view key = line.substr(0, a);
  const std::size_t b = key.find(rule.key_separator);
  if (b == std::string_view::npos || b + 1 == key.size()) return false;
  for (std::size_t i = b + 1; i < key.size(); ++i) {
    if (key[i] < '0' || key[i] > '9') return false;
  }
  return true;
}

// Converts the lines of `data`, which ends with CR LF, in place. (Plain
// memchr calls beat a hand-written byte scan here: keys are short, but
// phrases are not.)
// `in_body` says whether the first line may continue a multi-line phrase's
// body; returns the same for the line after the last.
bool ConvertLines(char* data, std::size_t size, const ConversionRule& rule, bool in_body = false) {
  const char a_sep = rule.field_separator;
  const char b_sep = rule.key_separator;
  std::size_t pos = 0;
  while (pos < size) {
    // The line runs up to the next CR LF; a lone CR or LF is part of it.
    const std::size_t end = FindLineEnd(data, size, pos);
    const std::string_view line(data + pos, end - pos);
    const std::size_t a = line.find(a_sep);
    const bool entry = IsEntryLine(line, a, rule);
    if (in_body && !entry) {
      pos = end + 2;
      continue;  // body lines pass verbatim
    }
    in_body = entry && a + 1 == line.size();  // an entry with an empty phrase opens a body
    char* const key_end = data + pos + (a == std::string_view::npos ? line.size() : a);
    for (char* p = data + pos; p != key_end; ++p) {
      p = static_cast<char*>(std::memchr(p, b_sep, static_cast<std::size_t>(key_end - p)));
      if (p == nullptr) break;
      *p = a_sep;
    }
    if (a != std::string_view::npos) data[pos + a] = b_sep;
    pos = end + 2;
  }
  return in_body;
}

// Lists of this size or more are converted by two threads.
constexpr std::size_t kParallelBytes = 16u << 20;

// ConvertLines, split between two threads for a large list. The second
// part starts at an entry line after the middle: from an entry line on, the
// conversion does not depend on the lines before it. The lines between the
// middle and that entry line (a multi-line phrase's body, say) go with the
// first part, so they are handled with the state that part ends in.
bool ConvertAllLines(char* data, std::size_t size, const ConversionRule& rule) {
  if (size < kParallelBytes || std::thread::hardware_concurrency() < 2) {
    return ConvertLines(data, size, rule);
  }
  std::size_t start = FindLineEnd(data, size, size / 2) + 2;
  while (start < size) {
    const std::size_t end = FindLineEnd(data, size, start);
    const std::string_view line(data + start, end - start);
    if (IsEntryLine(line, line.find(rule.field_separator), rule)) break;
    start = end + 2;
  }
  if (start >= size) return ConvertLines(data, size, rule);
  bool second_state = false;
  std::thread second;
  try {
    second = std::thread([=, &rule, &second_state] {
      second_state = ConvertLines(data + start, size - start, rule);
    });
  } catch (const std::system_error&) {
    return ConvertLines(data, size, rule);  // no thread to be had: one does it all
  }
  ConvertLines(data, start, rule);
  second.join();
  return second_state;
}

bool EndsWithLineBreak(std::string_view text) {
  return text.size() >= 2 && text.substr(text.size() - 2) == "\r\n";
}

}  // namespace

bool ProbeList(std::string_view text, const ConversionRule& rule) {
  RegexObject regex;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t cut = text.size();
    if (text.size() - pos > kProbeChunk) {
      const void* lf =
          std::memchr(text.data() + pos + kProbeChunk, '\n', text.size() - pos - kProbeChunk);
      if (lf != nullptr)
        cut = static_cast<std::size_t>(static_cast<const char*>(lf) - text.data()) + 1;
    }
    regex.Create(rule.probe_pattern, text.substr(pos, cut - pos));
    if (CompareTexts(regex.GetMatchText(1), "") != 0) return true;
    pos = cut;
  }
  return false;
}

Text ConvertList(std::string_view text, const ConversionRule& rule) {
  if (!ProbeList(text, rule)) return Text();
  Text out;
  out.reserve(text.size() + 2);
  AdviseLargeBuffer(out.data(), out.capacity());
  out.assign(text);
  if (!EndsWithLineBreak(out)) out += "\r\n";
  ConvertAllLines(out.data(), out.size(), rule);
  return out;
}

bool ConvertBytesInPlace(char* data, std::size_t size, const ConversionRule& rule) {
  const std::string_view text(data, size);
  if (!ProbeList(text, rule)) return false;
  // The scan needs a CR LF at the end: a last line without one is converted
  // in a copy that has it, with the state the lines before it leave.
  const std::size_t last_break = text.rfind("\r\n");
  const std::size_t whole = last_break == std::string_view::npos ? 0 : last_break + 2;
  const bool in_body = whole > 0 && ConvertAllLines(data, whole, rule);
  if (whole < size) {
    Text last(text.substr(whole));
    last += "\r\n";
    ConvertLines(last.data(), last.size(), rule, in_body);
    std::memcpy(data + whole, last.data(), size - whole);
  }
  return true;
}

bool ConvertListInPlace(Text& text, const ConversionRule& rule) {
  if (!ConvertBytesInPlace(text.data(), text.size(), rule)) return false;
  if (!EndsWithLineBreak(text)) text += "\r\n";
  return true;
}

Text ConvertSogouToQq(std::string_view text) { return ConvertList(text, kSogouToQqRule); }
Text ConvertQqToSogou(std::string_view text) { return ConvertList(text, kQqToSogouRule); }

}  // namespace marvoset
