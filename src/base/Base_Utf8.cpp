#include "base/Base_Utf8.h"

namespace {

// The byte after a lead, or 0 without moving when the text ends there.
uint8_t Continuation(const char** text)
{
    uint8_t byte = static_cast<uint8_t>(**text);
    if (byte != 0) ++*text;
    return byte;
}

} // namespace

uint16_t UTF8_ExtractChar(const char** text)
{
    uint8_t lead = static_cast<uint8_t>(**text);
    if (lead == 0) return 0;
    ++*text;
    if (lead < 0x80) return lead;
    if ((lead & 0x20) == 0) {
        uint8_t second = Continuation(text);
        return static_cast<uint16_t>(((lead & 0x1F) << 6) + (second & 0x3F));
    }
    uint8_t second = Continuation(text);
    uint8_t third = second != 0 ? Continuation(text) : 0;
    return static_cast<uint16_t>((lead << 12) + ((second & 0x3F) << 6) + (third & 0x3F));
}

int32_t UTF8_CharSize(uint16_t character)
{
    return character < 0x80 ? 1 : character < 0x800 ? 2 : 3;
}

void UTF8_AddChar(char** text, uint16_t character)
{
    char*& at = *text;
    if (character < 0x80) {
        *at++ = static_cast<char>(character);
    } else if (character < 0x800) {
        *at++ = static_cast<char>(0xC0 | ((character >> 6) & 0x1F));
        *at++ = static_cast<char>(0x80 | (character & 0x3F));
    } else {
        *at++ = static_cast<char>(0xE0 | ((character >> 12) & 0x0F));
        *at++ = static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        *at++ = static_cast<char>(0x80 | (character & 0x3F));
    }
}

int32_t UTF8_Length(const char* text)
{
    if (text == nullptr) return 0;
    int32_t count = 0;
    // Plain ASCII, the commonest by far, is counted here; the decoder is called for the rest.
    for (uint8_t lead; (lead = static_cast<uint8_t>(*text)) != 0; ++count) {
        if (lead < 0x80)
            ++text;
        else
            UTF8_ExtractChar(&text);
    }
    return count;
}

int32_t UTF8_CompareN(const char* a, const char* b, int32_t n)
{
    for (int32_t i = 0; i < n; ++i) {
        int32_t first = UTF8_ExtractChar(&a);
        int32_t second = UTF8_ExtractChar(&b);
        if (first != second || first == 0 || second == 0) return first - second;
    }
    return 0;
}
