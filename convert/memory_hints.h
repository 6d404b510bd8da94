// Hints to the operating system about large buffers.
//
// Lists run to hundreds of megabytes; touching a fresh buffer of that size
// page by page costs more than converting it. AdviseLargeBuffer asks for
// large pages on the buffer's interior before it is first written. It is
// only a hint: it never fails and changes no content.
#pragma once

#include <cstddef>

namespace marvoset {

// Buffers below this size are left alone.
inline constexpr std::size_t kLargeBufferBytes = 8u << 20;

void AdviseLargeBuffer(void* data, std::size_t size);

}  // namespace marvoset
