// Small text helpers shared by the platform layer and the agent: the system's case-insensitive
// comparison of names, and UTF-8 for host paths and printing.
#pragma once

#include <string>
#include <string_view>

namespace kx {

// The simple upper-case mapping the system uses for case-insensitive names (ASCII, Latin-1,
// Latin Extended-A, Greek and Cyrillic letters); other units map to themselves.
char16_t SimpleUpper(char16_t c);
// lstrcmpiW-style equality: equal after the simple upper-case mapping.
bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b);
// ASCII-only case-insensitive equality (the private-profile names, file-name extensions).
bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b);

// UTF-16 to UTF-8; a lone surrogate half becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16; an invalid sequence becomes U+FFFD.
std::u16string FromUtf8(std::string_view text);
// ASCII text widened unit by unit (for literals and fixed formats).
std::u16string Widen(std::string_view ascii);

}  // namespace kx
