// Test helper: GB18030 bytes of a UTF-16 literal, so tests can be written
// with readable Chinese text.
#pragma once

#include <string>

#include "convert/codec.h"

namespace marvoset::testing {

inline std::string G(std::u16string_view text) { return Utf16ToGb18030(text); }

}  // namespace marvoset::testing
