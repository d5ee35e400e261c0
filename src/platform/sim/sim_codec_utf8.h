// UTF-8 to UTF-16 as the system converts it with flags 0: never fails; every invalid sequence
// becomes one or more U+FFFD, the way the system splits it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kx::sim::codec {

// Where decoded units go: counted always, written while they fit (capacity 0: count only).
struct WideOutput {
  char16_t* dst = nullptr;
  std::int64_t capacity = 0;
  std::int64_t count = 0;
  void Put(char16_t unit) {
    if (count < capacity) dst[count] = unit;
    ++count;
  }
  // Eight ASCII bytes at once.
  void PutAscii8(const std::uint8_t* bytes) {
    if (count + 8 <= capacity) {
      for (int k = 0; k < 8; ++k)
        dst[count + k] = bytes[k];
      count += 8;
    } else if (count >= capacity) {
      count += 8;  // counting only, or already past the room
    } else {
      for (int k = 0; k < 8; ++k)
        Put(bytes[k]);
    }
  }
};

// Returns false when some sequence was invalid (and became U+FFFD).
bool DecodeUtf8(const std::uint8_t* bytes, std::size_t count, WideOutput& out);

}  // namespace kx::sim::codec
