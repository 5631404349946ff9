// The "@" moves: at start-up a plain file of the current folder whose name holds "@" is moved to the
// path its name spells, each "@" standing for a folder separator; missing folders are made.
#pragma once

// Moves every plain file of the current folder (not read-only, not hidden, not a folder) whose
// name holds "@". Every failure is ignored.
void MoveAtFiles();

// Moves one file of the current folder. A name whose target would leave the current folder (an
// empty, "." or ".." part) is left where it is. Returns whether the file was moved.
bool MoveAtFile(const char* name);
