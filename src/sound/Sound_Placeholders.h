// File helpers that adding a sound from a file needs, standing in until the file services land.
#pragma once

// PLACEHOLDER until the file services land: true when the path names something that is neither a
// folder nor a device.
bool File_Exists(const char* path);
// PLACEHOLDER until the file services land: a new memory-manager text holding the part after the
// last backslash, else after the last slash, else the whole path.
char* File_GetName(const char* path);
// PLACEHOLDER until the file services land: a new memory-manager text holding the extension with
// its dot ("" when the name has none).
char* File_GetExtension(const char* path);
