// GB18030 <-> UTF-16 conversion for texts that cross into the regular
// expression engine and the window.
//
// Both directions are lossless. A byte that does not start a valid GB18030
// sequence becomes the lone low surrogate U+DC80 + byte (U+DC80..U+DCFF) and
// decoding resumes at the next byte, so no invalid byte swallows the bytes
// after it; encoding turns such a surrogate back into that byte. What GB18030
// cannot represent (any other lone surrogate, and the few private-use code
// points that GB18030-2022 no longer maps) encodes as U+FFFD. The conversion
// itself is done by the platform backend (iconv on Linux, the Win32 API on Windows).
#pragma once

#include <string>
#include <string_view>

namespace marvoset {

std::u16string Gb18030ToUtf16(std::string_view bytes);
std::string Utf16ToGb18030(std::u16string_view units);

// First of the escape surrogates that stand for undecodable bytes.
inline constexpr char16_t kEscapedByteBase = 0xDC00;

}  // namespace marvoset
