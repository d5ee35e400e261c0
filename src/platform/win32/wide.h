// Our UTF-16 text handed to the system's wide-character calls and back. On Windows wchar_t is
// the same 16-bit unit, so the conversion is a cast; NUL-terminated copies are made where the
// system wants a C string and we hold a view.
#pragma once

#include <string>
#include <string_view>

namespace kx::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the Windows backend needs 16-bit wchar_t");

inline const wchar_t* AsWide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}
inline wchar_t* AsWide(char16_t* text) {
  return reinterpret_cast<wchar_t*>(text);
}
inline const char16_t* AsUtf16(const wchar_t* text) {
  return reinterpret_cast<const char16_t*>(text);
}

// A NUL-terminated copy of a view, alive as long as the object.
class WideZ {
 public:
  explicit WideZ(std::u16string_view text) : text_(text) {}
  const wchar_t* Get() const { return AsWide(text_.c_str()); }
  // Null for an empty text: the system's "none" for optional strings.
  const wchar_t* OrNull() const { return text_.empty() ? nullptr : Get(); }

 private:
  std::u16string text_;
};

inline std::u16string FromWide(const wchar_t* text) {
  return text == nullptr ? std::u16string() : std::u16string(AsUtf16(text));
}
inline std::u16string FromWide(const wchar_t* text, std::size_t length) {
  return std::u16string(AsUtf16(text), length);
}

}  // namespace kx::win32
