// What the game-file loader calls in the areas that own each kind of resource. Every chunk reader
// has one form: it gets the file and the place of its chunk's body, reads through the checked
// accessors of GameFile_View.h, and answers false (after a log line saying what is wrong) when the
// chunk is malformed; the loader then names the chunk and fails the load.
//
// The definitions live in the areas that own the chunks.
#pragma once

#include <cstdint>

class GameFile;
class IniFile;

// Resets run by the main chunk pass before any chunk is read.
void Sound_Reset();
void Sprite_Reset();
void Background_Reset();
void Path_Reset();
void Script_Reset();
void Font_Clear();
void TimeLine_Reset();
void Object_ResetTable();
void RoomTables_Reset();

// Chunk readers. The main pass has checked the count table of every chunk that begins with one.
bool Extension_LoadChunk(GameFile& file, uint32_t body, uint32_t length); // "EXTN"
bool Audio_Load(GameFile& file, uint32_t body, uint32_t length);          // "SOND", newer audio
bool Sound_Init(GameFile& file, uint32_t body, uint32_t length);          // "SOND", older sound
bool Audio_WAVs(GameFile& file, uint32_t body, uint32_t length);          // "AUDO", newer audio
bool Wave_Init(GameFile& file, uint32_t body, uint32_t length);           // "AUDO", older sound
bool Sprite_Load(GameFile& file, uint32_t body, uint32_t length);         // "SPRT"
bool Background_Load(GameFile& file, uint32_t body, uint32_t length);     // "BGND"
bool Path_Load(GameFile& file, uint32_t body, uint32_t length);           // "PATH"
bool Script_Load(GameFile& file, uint32_t body, uint32_t length);         // "SCPT"
bool Shader_Load(GameFile& file, uint32_t body, uint32_t length);         // "SHDR"
bool Font_Load(GameFile& file, uint32_t body, uint32_t length);           // "FONT"
bool TimeLine_Load(GameFile& file, uint32_t body, uint32_t length);       // "TMLN"
bool OBJT_Load(GameFile& file, uint32_t body, uint32_t length);           // "OBJT"
bool ROOM_Load(GameFile& file, uint32_t body, uint32_t length);           // "ROOM"
bool Code_PatchStrings(GameFile& file, uint32_t body, uint32_t length);   // "CODE", main pass
bool FUNC_Load(GameFile& file, uint32_t body, uint32_t length);           // "FUNC"
bool TXTR_Load(GameFile& file, uint32_t body, uint32_t length);           // "TXTR"
// The pre-pass readers.
bool Code_Load(GameFile& file, uint32_t body, uint32_t length);           // "CODE"
bool VARI_Load(GameFile& file, uint32_t body, uint32_t length);           // "VARI"

// The room order of the header, copied into the room table's order.
void Room_LoadOrder(const int32_t* order, int32_t count);
// The id counters of instances and tiles; each new one takes counter + 1.
extern int32_t g_InstanceIdCounter;
extern int32_t g_TileIdCounter;

// Hooks handed the opened "options.ini".
void IO_VirtualKey_LoadConfig(IniFile* ini);
void LoadSave_IniHook(IniFile* ini);
void Sound_IniHook(IniFile* ini);

// The window's background colour (24-bit, red in the low byte), stored with alpha 255.
void GR_Window_SetColour(uint32_t colour);
// The platform's orientation hook (allowed: landscape, portrait, landscape flipped, portrait flipped).
void Wexo_PlatformStepNop(bool landscape, bool portrait, bool landscapeFlipped, bool portraitFlipped);
// The working-directory variable, set from the game file's name while it is still unset.
void Variable_InitWorkingDirectory(const char* gameFileName);
