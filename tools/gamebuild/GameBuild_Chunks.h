// One writer per chunk. Each appends its chunk (tag, length, body) to the image; problems with the
// description are recorded in the image and make the build fail.
#pragma once

#include "gamebuild/GameBuild_Game.h"
#include "gamebuild/GameBuild_Image.h"

namespace gamebuild {

// "GEN8", "GEN7" or "GENL": the fields the header's version holds, then the room order.
void WriteHeaderChunk(ImageWriter& image, const HeaderDesc& header);
// "OPTN": words 0 to 34, the constant count and the constant pairs.
void WriteOptionsChunk(ImageWriter& image, const OptionsDesc& options);
// "STRG": every string of the pool so far, as records (length, characters, NUL).
void WriteStringsChunk(ImageWriter& image);
// A chunk given as bytes.
void WriteRawChunk(ImageWriter& image, const RawChunkDesc& chunk);

// Where the room order's count lies in the header body of a version.
uint32_t HeaderRoomOrderOffset(int32_t version);

// A place in a code entry's bytecode that names a variable or a function: the offset of the
// instruction word (its operand follows it).
struct CodeReference {
    uint32_t offset;
    std::string name;
};

struct CodeEntryDesc {
    std::string name;
    std::vector<uint8_t> bytes; // string operands already index the image's string table
    std::vector<CodeReference> variables;
    std::vector<CodeReference> functions;
    uint32_t fileOffset = 0;    // of the bytecode, once the code chunk is written
};

// The code of a game of compiled code: one entry per script, then one per event (objects in order,
// each object's events in its order).
struct GameCode {
    std::vector<CodeEntryDesc> entries;
    std::vector<int32_t> scriptEntry;             // per script: its entry, or -1
    std::vector<std::vector<int32_t>> eventEntry; // per object, per event: its entry
    std::vector<int32_t> roomEntry;                  // per room: its creation code's entry, or -1
    std::vector<std::vector<int32_t>> instanceEntry; // per room, per placed instance: entry or -1
    std::vector<std::vector<int32_t>> momentEntry;   // per time line, per moment: its entry
    bool codeWritten = false;
};

// Compiles every script and event of a game of compiled code (GameBuild_Compile.cpp, over the
// run-time's compiler): names of the game's scripts and objects resolve as the game will have them,
// built-in functions and variables as the run-time registered them in this process. Problems are
// recorded in the image, each named by its script or event.
void CompileGameCode(const GameDesc& game, ImageWriter& image, GameCode& code);
// Registers the run-time's built-in functions, variables and constants, so that the compiler knows
// them (the tool does this once; tests register what they use).
void PrepareCompiler();

// "SPRT": one record per sprite. Its frame words name texture-page records, whose places are known
// only once "TPAG" is written: each word's place and picture index go to `frameWords`, and
// PatchSpriteFrames fills them in at the end.
void WriteSpritesChunk(ImageWriter& image, const GameDesc& game, const std::vector<std::vector<int32_t>>& framePictures,
                       std::vector<std::pair<uint32_t, int32_t>>& frameWords);
// Appends every sprite's frames to the game's pictures; per sprite, the picture index of each frame.
std::vector<std::vector<int32_t>> AddSpritePictures(GameDesc& game);
void PatchSpriteFrames(ImageWriter& image, const std::vector<std::pair<uint32_t, int32_t>>& frameWords,
                       uint32_t pageRecords);

// "BGND": one record per background (name, three flags, page record). Its page words are filled in
// at the end like the sprites' frame words, and go to the same list.
void WriteBackgroundsChunk(ImageWriter& image, const GameDesc& game, const std::vector<int32_t>& pictures,
                           std::vector<std::pair<uint32_t, int32_t>>& pageWords);
// Appends every background's picture to the game's pictures; per background, its picture index or
// -1 for none.
std::vector<int32_t> AddBackgroundPictures(GameDesc& game);
// "FONT": one record per font (its page word goes to `pageWords` with its picture, as the sprites'
// frames do), its glyphs (14 bytes each, wherever they fall), then the 256-entry character table.
void WriteFontsChunk(ImageWriter& image, const GameDesc& game, const std::vector<int32_t>& fontPictures,
                     std::vector<std::pair<uint32_t, int32_t>>& pageWords);
// Appends every font's picture to the game's pictures; per font, its picture index or -1.
std::vector<int32_t> AddFontPictures(GameDesc& game);

// "SCPT": one record per script (name, then its code entry or the offset of its source text).
void WriteScriptsChunk(ImageWriter& image, const GameDesc& game, const GameCode& code);
// "PATH": one record per path (name, kind, closed flag, precision, points).
void WritePathsChunk(ImageWriter& image, const GameDesc& game);
// "SHDR": one record per shader (name, kind, eight source-text offsets; 0 for a missing source).
void WriteShadersChunk(ImageWriter& image, const GameDesc& game);
// "TMLN": one record per time line (name, moment count, then each moment's time and event entry).
void WriteTimeLinesChunk(ImageWriter& image, const GameDesc& game, const GameCode& code);
// An event entry as objects and time lines hold them: the subtype (a moment's time), one action,
// and the action record of 16 words (the code entry in word 8 for compiled code, the source text's
// offset in word 15 otherwise).
void WriteEventEntry(ImageWriter& image, const GameDesc& game, int32_t subtype, const CodeDesc& code, int32_t entry);
// "OBJT": one record per object, with its physics block from header version 6 on and its 12 event
// lists; each event has one action record (code entry in word 8, source text in word 15).
void WriteObjectsChunk(ImageWriter& image, const GameDesc& game, const GameCode& code);
// "ROOM": one record per room (22 words, 14 before header version 6), each with its lists of
// background layers, views, placed instances and tiles (GameBuild_Rooms.cpp).
void WriteRoomsChunk(ImageWriter& image, const GameDesc& game, const GameCode& code);
// Gives every placed instance and tile without an id the next one after the header's counter, and
// raises the counter in the header to the last id given.
void AssignRoomIds(GameDesc& game);
// Problems of the rooms that no writer would notice (assembly in a game of source text).
void CheckRooms(const GameDesc& game, ImageWriter& image);

// "SOND": one 36-byte entry per sound; "AUDO": the sound-file images of the sounds with data, in
// order (GameBuild_Sounds.cpp).
void WriteSoundsChunk(ImageWriter& image, const GameDesc& game);
void WriteAudioChunk(ImageWriter& image, const GameDesc& game);
// A 16-bit mono PCM WAV image of a sine tone.
std::vector<uint8_t> MakeToneWav(const ToneDesc& tone);

// "EXTN": the packages, their files and functions (GameBuild_Extensions.cpp).
void WriteExtensionsChunk(ImageWriter& image, const GameDesc& game);

// "CODE": the entries (name, length, bytecode); records where each entry's bytecode lies.
void WriteCodeChunk(ImageWriter& image, GameCode& code);
// "VARI" and "FUNC": one record per name (name, reference count, first reference), the references
// chained through their operands, each name as the game's `linkNames` spell it. They must follow the
// code chunk.
void WriteVariablesChunk(ImageWriter& image, const GameCode& code, const GameDesc& game);
void WriteFunctionsChunk(ImageWriter& image, const GameCode& code, const GameDesc& game);

} // namespace gamebuild
