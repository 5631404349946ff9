// JSON text to maps and lists and back. Decoding makes a new map for the text's object; a nested
// object or array becomes a new map or list that its element owns (the element's kind is marked).
// Encoding writes a map's entries as they are: a nested structure held in a map is written as its
// index number; only list elements follow their marks into nested objects and arrays.
#pragma once

#include <cstdint>
#include <string>

// The index of a new map for the text, or -1 when it does not parse even wrapped. A text that is not
// an object is wrapped first: an array as the value of "default", anything else as its string.
int32_t DS_JsonDecode(const char* text);

// The JSON text of the map of that index; "" when there is no such map.
std::string DS_JsonEncode(int32_t mapIndex);
