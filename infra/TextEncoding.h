#pragma once

#include <string>
#include <string_view>

// The program's strings are UTF-8; its 8-bit text files hold one byte per
// character. A line whose characters all lie at or below U+00FF is written in
// Latin-1 (so "²" becomes the single byte 0xB2), unless those bytes would
// read back as UTF-8 of another text; any other line as UTF-8. So reading
// what was written gives the same text, and writing it again the same bytes.
std::string EncodeLine8Bit(std::string_view utf8);

// The reverse on reading: a line that is valid UTF-8 is taken as UTF-8, any
// other line byte by byte as Latin-1.
std::string DecodeLine8Bit(std::string_view bytes);

bool IsValidUtf8(std::string_view bytes);

// U+FFFD stands for a character that the file does not spell out whole.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Appends one character as UTF-8; a value that is no character (a surrogate
// or beyond U+10FFFF) becomes U+FFFD.
void AppendUtf8(std::string& utf8, char32_t character);
