// The Math family's text side: the string built-ins and the helpers they share. Positions the
// scripts give count characters from 1; the helpers count them from 0 unless they say otherwise.
// Characters are decoded with the program-wide UTF-8 routines (base/Base_Utf8.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "function/Function_Registry.h"

// The characters below 128, in order (others dropped); empty for null.
std::string UTF8_AsciiOnly(const char* text);
// The 0-based character index of the first place where the haystack's characters match all of the
// needle's; -1 when there is none or when either text is null or empty.
int32_t UTF8_Find(const char* needle, const char* haystack);
// `count` characters from the 0-based character `first`; cut where the text ends, empty when
// `first` lies beyond it or count is 0 or less.
std::string UTF8_SubString(const char* text, int64_t first, int64_t count);
// Deletes `count` characters from the 1-based `position`; nothing when the position is below 1 or
// beyond the text, or when count is 0 or less.
void UTF8_DeleteChars(std::string& text, int64_t position, int64_t count);
// The text with the needle's first match (or every match) replaced. Matches do not overlap and the
// replacement is never searched again; a null or empty needle leaves the text as it is. False when
// the result would be longer than a script string may be (VALUE_MAX_TEXT).
bool UTF8_Replace(std::string& result, const char* text, const char* needle, const char* replacement,
                  bool all);

// The 24 text members, in the order Function_Math_Init registers them after the maths members.
extern const FunctionRow MATH_TEXT_ROWS[24];
