#include "infra/TextEncoding.h"

namespace {

bool IsAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned int codepoint = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            codepoint = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            codepoint = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            codepoint = c & 0x07;
        } else {
            return false;
        }
        if (i + length > n)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char follow = static_cast<unsigned char>(bytes[i + k]);
            if ((follow & 0xC0) != 0x80)
                return false;
            codepoint = (codepoint << 6) | (follow & 0x3F);
        }
        // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8.
        if ((length == 3 && codepoint < 0x800) || (length == 4 && codepoint < 0x10000) ||
            (codepoint >= 0xD800 && codepoint <= 0xDFFF) || codepoint > 0x10FFFF)
            return false;
        i += length;
    }
    return true;
}

std::string EncodeLine8Bit(std::string_view utf8) {
    if (IsAscii(utf8) || !IsValidUtf8(utf8))
        return std::string(utf8);
    std::string latin1;
    latin1.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            latin1.push_back(static_cast<char>(c));
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
            // Two-byte sequences led by C2 or C3 are exactly U+0080..U+00FF.
            latin1.push_back(static_cast<char>(((c & 0x03) << 6) | (utf8[i + 1] & 0x3F)));
            ++i;
        } else {
            return std::string(utf8); // a character beyond U+00FF: keep UTF-8
        }
    }
    // Latin-1 bytes that happen to spell valid UTF-8 ("Ã©" is C3 A9) would
    // read back as another text ("é"): such a line keeps its UTF-8.
    if (IsValidUtf8(latin1))
        return std::string(utf8);
    return latin1;
}

std::string DecodeLine8Bit(std::string_view bytes) {
    if (IsAscii(bytes) || IsValidUtf8(bytes))
        return std::string(bytes);
    std::string utf8;
    utf8.reserve(bytes.size() + bytes.size() / 4);
    for (const char ch : bytes) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            utf8.push_back(ch);
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return utf8;
}

void AppendUtf8(std::string& utf8, char32_t character) {
    if ((character >= 0xD800 && character <= 0xDFFF) || character > 0x10FFFF)
        character = kReplacementCharacter;
    if (character < 0x80) {
        utf8.push_back(static_cast<char>(character));
    } else if (character < 0x800) {
        utf8.push_back(static_cast<char>(0xC0 | (character >> 6)));
        utf8.push_back(static_cast<char>(0x80 | (character & 0x3F)));
    } else if (character < 0x10000) {
        utf8.push_back(static_cast<char>(0xE0 | (character >> 12)));
        utf8.push_back(static_cast<char>(0x80 | ((character >> 6) & 0x3F)));
        utf8.push_back(static_cast<char>(0x80 | (character & 0x3F)));
    } else {
        utf8.push_back(static_cast<char>(0xF0 | (character >> 18)));
        utf8.push_back(static_cast<char>(0x80 | ((character >> 12) & 0x3F)));
        utf8.push_back(static_cast<char>(0x80 | ((character >> 6) & 0x3F)));
        utf8.push_back(static_cast<char>(0x80 | (character & 0x3F)));
    }
}
