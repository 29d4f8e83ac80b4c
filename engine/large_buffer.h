// Buffers of whole pictures. A picture of many megabytes is held in one
// buffer; touching its pages one by one can cost more than everything the
// engine does with the picture, so such buffers ask for large pages where
// the system has them.
#pragma once

#include <cstddef>
#include <vector>

namespace wmf {

// Backs `bytes` from `data` on with large pages where the system offers them
// (Linux's transparent huge pages); elsewhere does nothing. Call it before
// the memory is first written.
void PreferLargePages(void* data, size_t bytes);

// Makes room for `count` elements in `buffer`, preferring large pages.
template <typename T>
void ReserveLarge(std::vector<T>& buffer, size_t count) {
  if (count <= buffer.capacity()) return;
  const size_t used = buffer.size();
  buffer.reserve(count);
  PreferLargePages(buffer.data() + used, (buffer.capacity() - used) * sizeof(T));
}

}  // namespace wmf
