// Routines of other areas that the game-file loader calls, standing in until the issues that own
// them land. Each one does what its owner is specified to do when it has nothing to hold: a reset
// of a table that is still empty, a reader that takes the chunk as read. The owning issue deletes
// its entries here when it defines the real routine.
#include <vector>

#include "gamefile/GameFile_Services.h"

// PLACEHOLDER for the sprites issue (sprite table and the SPRT chunk).
void Sprite_Reset() {}
// PLACEHOLDER for the backgrounds issue.
void Background_Reset() {}
// PLACEHOLDER for the paths issue.
void Path_Reset() {}
// PLACEHOLDER for the fonts issue.
void Font_Clear() {}
// PLACEHOLDER for the time lines issue.
void TimeLine_Reset() {}

// PLACEHOLDER for the extensions issue.
bool Extension_LoadChunk(GameFile&, uint32_t, uint32_t) { return true; }
// PLACEHOLDER for the sprites issue.
bool Sprite_Load(GameFile&, uint32_t, uint32_t) { return true; }
// PLACEHOLDER for the backgrounds issue.
bool Background_Load(GameFile&, uint32_t, uint32_t) { return true; }
// PLACEHOLDER for the paths issue.
bool Path_Load(GameFile&, uint32_t, uint32_t) { return true; }
// PLACEHOLDER for the shaders issue.
bool Shader_Load(GameFile&, uint32_t, uint32_t) { return true; }
// PLACEHOLDER for the fonts issue.
bool Font_Load(GameFile&, uint32_t, uint32_t) { return true; }
// PLACEHOLDER for the time lines issue.
bool TimeLine_Load(GameFile&, uint32_t, uint32_t) { return true; }

// PLACEHOLDER for the input issue (virtual buttons from "options.ini").
void IO_VirtualKey_LoadConfig(IniFile*) {}
// PLACEHOLDER for the save area issue; empty on this platform.
void LoadSave_IniHook(IniFile*) {}

// PLACEHOLDER for the platform services issue; does nothing on this platform.
void Wexo_PlatformStepNop(bool, bool, bool, bool) {}
