// File and folder helpers over real paths (8-bit text, '/' or '\' as separators), the program's
// temporary folder, and the shell: opening documents and starting programs. Texts handed out are
// memory-manager blocks the caller frees.
#pragma once

#include <cstdint>
#include <cstdio>

bool File_Exists(const char* path);      // a file that is neither a folder nor a device
bool Directory_Exists(const char* path); // a folder

// The part before the last '\' (else the last '/'); "" when there is none or it comes first.
char* File_GetDirectory(const char* path);
// The part after the last '\' (else the last '/'), or the whole path.
char* File_GetName(const char* path);
// The drive ("C:") and the extension with its dot, as a path splitter gives them; "" when none.
char* File_GetDrive(const char* path);
char* File_GetExtension(const char* path);

// Creates the folder and every missing folder above it; true when it exists afterwards.
bool Directory_Create(const char* path);
// Creates the folders of the path in front of its last separator.
void File_CreatePathFolders(const char* path);
// Deletes a folder with everything in it (read-only files too); false when something stayed.
bool File_DeleteTree(const char* path);
char* File_GetCurrentDirectory();

// The program's temporary folder, made at start-up and deleted at shut-down. The base folder is
// TMPDIR, else TEMP, else TMP, else the C library's temporary folder.
bool File_InitTempDirectory();
void File_DeleteTempFolder();
// A new copy of the temporary folder's path, or null before start-up made it.
char* File_GetTempDirectory();

// Opens a file or address with its program (an executable is started with the parameters; anything
// else goes to xdg-open). True when the program started.
bool Shell_Execute(const char* file, const char* parameters, const char* directory);
// Starts "program arguments", split into words as the command line is (quotes group, never a
// shell), in `directory`; with `wait` it pumps messages until the program ends. False when the
// program cannot be started.
bool Program_Execute(const char* program, const char* arguments, const char* directory, bool wait);

// Whether a name matches a pattern of "*" (any run) and "?" (one character), ignoring letter case;
// a pattern ending in ".*" also matches names without that dot ("*.*" matches every name).
bool File_MatchPattern(const char* name, const char* pattern);

// Files opened as text: writing turns "\n" into CR LF; reading turns CR LF into "\n" and stops at
// a 0x1A byte, as the stored files expect.
void File_WriteTextMode(std::FILE* file, const char* text);
// The next character in that reading, or EOF.
int File_ReadTextModeChar(std::FILE* file);

// Reading numbers from text: white space as the C library's test in the "C" locale, and the
// characters a decimal number may hold.
bool File_IsSpace(int c);
bool File_IsNumberChar(int c);
