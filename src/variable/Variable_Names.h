// Variable identifiers by name. Every name scripts use as a variable has one identifier for the
// whole run: a built-in variable its row (below 10000), every other name a user identifier from
// 100000 on. Identifiers are never reused, so compiled code and saved variables stay valid.
#pragma once

#include <cstdint>

constexpr int32_t VARIABLE_USER_BASE = 100000;
// Identifiers from here on live in variable lists; below it they are built-in rows.
constexpr int32_t VARIABLE_LIST_BASE = 10000;

// The built-in row of the name, else its user identifier (added when new).
int32_t Code_Variable_Find(const char* name);
// The user identifier of the name, added at the end when absent.
int32_t Code_Variable_Add(const char* name);
// The user identifier of the name, or -1; never adds.
int32_t Code_Variable_Lookup(const char* name);
// Below 100000 the built-in name; otherwise the user name, or "<unknown variable>".
const char* Code_Variable_Find_Name(int32_t id);
// The user name, or "<unknown variable>".
const char* Code_Variable_UserName(int32_t id);
// The number of user names so far.
int32_t Code_Variable_UserCount();
