// UTF-8 as the whole program reads and writes it: characters are 16-bit and one to three bytes long.
// Decoding looks only at the lead byte (bit 0x80 clear: one byte; bit 0x20 clear: two; else three),
// as the game's own texts expect, but never reads past a text's terminator.
#pragma once

#include <cstdint>

// The character at *text; *text moves past it. At the terminator it answers 0 and stays there. A
// character cut short by the terminator yields what its bytes give and stops at the terminator.
uint16_t UTF8_ExtractChar(const char** text);
// Writes the character's one to three bytes at *text and moves past them (no terminator written).
void UTF8_AddChar(char** text, uint16_t character);
// The number of bytes UTF8_AddChar writes for the character.
int32_t UTF8_CharSize(uint16_t character);
// Characters before the terminator; 0 for null or an empty text.
int32_t UTF8_Length(const char* text);
// Compares at most n characters: at the first difference, or where either text ends, the first
// text's character minus the second's; 0 after n equal characters.
int32_t UTF8_CompareN(const char* a, const char* b, int32_t n);
