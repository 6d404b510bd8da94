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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <bit>
#include <cstdint>
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

// Converts the line at `pos` of `data` (which ends with CR LF) in place, a
// byte at a time, and returns where the next line starts. `in_body` says
// whether the line may continue a multi-line phrase's body, and is updated
// for the next line.
std::size_t ConvertLineSlowly(char* data, std::size_t size, std::size_t pos,
                              const ConversionRule& rule, bool& in_body) {
  const char a_sep = rule.field_separator;
  const char b_sep = rule.key_separator;
  // The key runs up to the first A, or to the line's end (CR LF) when the
  // line has no A; a lone CR or LF is part of the line.
  std::size_t i = pos;
  std::size_t b = std::string_view::npos;  // the first B
  bool digits = true;                      // only digits after it so far
  for (;; ++i) {
    const char c = data[i];
    if (c == a_sep || (c == '\r' && data[i + 1] == '\n')) break;
    if (b != std::string_view::npos) {
      digits = digits && c >= '0' && c <= '9';
    } else if (c == b_sep) {
      b = i;
    }
  }
  const bool has_a = data[i] == a_sep;
  const std::size_t end = has_a ? FindLineEnd(data, size, i + 1) : i;
  const bool entry = has_a && b != std::string_view::npos && b + 1 < i && digits;
  if (in_body && !entry) return end + 2;  // body lines pass verbatim
  in_body = entry && i + 1 == end;        // an entry with an empty phrase opens a body
  if (b != std::string_view::npos) {
    for (std::size_t k = b; k < i; ++k) {
      if (data[k] == b_sep) data[k] = a_sep;
    }
  }
  if (has_a) data[i] = b_sep;
  return end + 2;
}

#if defined(__SSE2__)
// Bit masks of the 32 bytes at `p`, one bit per byte: where A, B and CR are.
struct Window {
  std::uint32_t a, b, cr;
};

inline Window ReadWindow(const char* p, const __m128i a_sep, const __m128i b_sep) {
  Window w{0, 0, 0};
  const __m128i cr = _mm_set1_epi8('\r');
  for (int k = 0; k < 2; ++k) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    const auto bits = [k](__m128i x) {
      return static_cast<std::uint32_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(x)))
             << (16 * k);
    };
    w.a |= bits(_mm_cmpeq_epi8(v, a_sep));
    w.b |= bits(_mm_cmpeq_epi8(v, b_sep));
    w.cr |= bits(_mm_cmpeq_epi8(v, cr));
  }
  return w;
}

inline unsigned LowestBit(std::uint32_t mask) {
  return static_cast<unsigned>(std::countr_zero(std::uint64_t{mask} | (std::uint64_t{1} << 32)));
}
#endif

// Converts the lines of `data`, which ends with CR LF, in place.
// `in_body` says whether the first line may continue a multi-line phrase's
// body; returns the same for the line after the last.
//
// Most lines are short and are read from bit masks of the 32 bytes at their
// start: the first A ends the key, a B before it is rewritten, and the
// first CR after it, followed by LF, ends the line. The others go byte by
// byte: a line whose first A is not within those bytes or comes after a CR,
// and the few whose entry-line test matters (in a multi-line phrase's body,
// or with an empty phrase).
bool ConvertLines(char* data, std::size_t size, const ConversionRule& rule, bool in_body = false) {
  std::size_t pos = 0;
#if defined(__SSE2__)
  const char a_char = rule.field_separator;
  const char b_char = rule.key_separator;
  const __m128i a_sep = _mm_set1_epi8(a_char);
  const __m128i b_sep = _mm_set1_epi8(b_char);
  while (pos + 32 <= size) {
    const Window w = ReadWindow(data + pos, a_sep, b_sep);
    const unsigned a = LowestBit(w.a);    // the first A
    const unsigned cr = LowestBit(w.cr);  // the first CR
    if (a >= cr || in_body) {
      pos = ConvertLineSlowly(data, size, pos, rule, in_body);
      continue;
    }
    // The line's CR LF: the CR seen, or one searched for past a lone CR or
    // past the window. (The text ends with CR LF, so data[pos + cr + 1] is
    // there.)
    const std::size_t line_end = cr < 32 && data[pos + cr + 1] == '\n'
                                     ? pos + cr
                                     : FindLineEnd(data, size, pos + (cr < 32 ? cr + 1 : a + 1));
    if (line_end == pos + a + 1) {
      pos = ConvertLineSlowly(data, size, pos, rule, in_body);  // may open a body
      continue;
    }
    for (std::uint32_t b_in_key = w.b & ((std::uint32_t{1} << a) - 1); b_in_key != 0;
         b_in_key &= b_in_key - 1) {
      data[pos + static_cast<unsigned>(std::countr_zero(b_in_key))] = a_char;
    }
    data[pos + a] = b_char;
    pos = line_end + 2;
  }
#endif
  while (pos < size) pos = ConvertLineSlowly(data, size, pos, rule, in_body);
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

namespace {

// ProbeList's answer, found with byte searches rather than the regular
// expression, so that it can run on any thread (the engine keeps
// per-thread state, whose clean-up at a thread's end the Windows runtime
// gets wrong). B, A and an ASCII digit each stand alone in GB18030 (none
// is a lead byte, and a digit after B or before A cannot be the second
// byte of a four-byte character), so the bytes B, digit, A are a match of
// the probe pattern exactly where the engine finds one.
bool HasProbeMatch(std::string_view text, const ConversionRule& rule) {
  for (std::size_t b = text.find(rule.key_separator);
       b != std::string_view::npos && b + 2 < text.size();
       b = text.find(rule.key_separator, b + 1)) {
    if (text[b + 1] >= '0' && text[b + 1] <= '9' && text[b + 2] == rule.field_separator)
      return true;
  }
  return false;
}

}  // namespace

void ListConverter::ConvertAlone(char* data, std::size_t size, Piece& piece) const {
  piece.probe_passed = HasProbeMatch(std::string_view(data, size), rule_);
  std::size_t first_entry = 0;
  while (first_entry < size) {
    const std::size_t end = FindLineEnd(data, size, first_entry);
    const std::string_view line(data + first_entry, end - first_entry);
    if (IsEntryLine(line, line.find(rule_.field_separator), rule_)) break;
    first_entry = end + 2;
  }
  piece.has_entry = first_entry < size;
  piece.prefix.assign(data, first_entry);
  piece.ends_in_body = ConvertLines(data, size, rule_);
}

bool ListConverter::Join(char* data, const Piece& piece) {
  probe_passed_ = probe_passed_ || piece.probe_passed;
  const bool changed = in_body_ && !piece.prefix.empty();
  // In a body, the lines before the first entry line pass verbatim.
  if (changed) std::memcpy(data, piece.prefix.data(), piece.prefix.size());
  in_body_ = piece.has_entry ? piece.ends_in_body : in_body_;
  return changed;
}

Text ConvertSogouToQq(std::string_view text) { return ConvertList(text, kSogouToQqRule); }
Text ConvertQqToSogou(std::string_view text) { return ConvertList(text, kQqToSogouRule); }

}  // namespace marvoset
