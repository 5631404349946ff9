// A described game: what the builder turns into a game file. The manifest (GameBuild_Manifest.h)
// fills it; tests may fill it directly. Defaults give a small valid game.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "gamebuild/GameBuild_Textures.h"

namespace gamebuild {

struct HeaderDesc {
    std::string tag = "GEN8";     // "GEN8", or the older "GEN7" and "GENL"
    int32_t version = 13;         // the byte at offset 1
    uint8_t debugByte = 1;        // 0: built for debugging
    std::string name = "Game";
    std::string configName = "Default";
    bool hasSaveFolder = true;
    std::string saveFolder = "Game";
    uint32_t lastInstanceId = 100000;
    uint32_t lastTileId = 10000000;
    uint32_t gameId = 0;
    uint64_t keptWords[2] = {0, 0};
    int32_t windowWidth = 640;    // version 8 on
    int32_t windowHeight = 480;
    uint32_t infoFlags = 0;
    bool hasDisplayName = true;   // version 10 on
    std::string displayName = "Game";
    uint64_t kept104 = 0;         // version 11 on
    uint64_t optionBits = 0;      // version 12 on
    uint32_t steamAppId = 0;      // version 13 on
    std::vector<int32_t> roomOrder;
};

constexpr int32_t OPTION_WORDS = 35; // words 0 to 34; word 35 counts the constants

struct ConstantDesc {
    std::string name;
    std::string value;
    bool hasName = true;   // false: offset 0
    bool hasValue = true;
};

struct OptionsDesc {
    // The words as the run-time's reset leaves them, so an untouched description changes nothing.
    uint32_t words[OPTION_WORDS] = {0, 0, 0, 0, 1, 100, 0, 0, 0xFFFFFF, 0, 0, 0, 0, 0, 0, 1, 1, 1,
                                    1, 1, 1, 0, 0, 1, 0, 0, 0, 0, 255, 1, 0, 0, 0, 0, 0};
    std::vector<ConstantDesc> constants;
};

// A chunk given as bytes (any tag): for chunks the builder has no writer for, and for tests.
struct RawChunkDesc {
    std::string tag;
    std::vector<uint8_t> body;
};

// One piece of game code: source text, or (in a game of compiled code only) assembler text in the
// disassembler's vocabulary. In a game of compiled code the source is compiled by the run-time's own
// compiler and bytecode generator.
struct CodeDesc {
    std::string source;
    std::string assembly;
    bool isAssembly = false;
};

struct ScriptDesc {
    bool present = true; // false: no script at this index
    std::string name;
    CodeDesc code;
};

struct EventDesc {
    int32_t type = 0;
    int32_t subtype = 0;
    CodeDesc code;
};

struct PhysicsDesc {
    uint32_t enabled = 0;
    uint32_t sensor = 0;
    uint32_t shape = 0;
    int32_t group = 0;
    float density = 0.5f;
    float restitution = 0.1f;
    float linearDamping = 0.1f;
    float angularDamping = 0.1f;
    float friction = 0.2f;   // version 9 on
    uint32_t awake = 1;      // version 9 on
    uint32_t kinematic = 0;  // version 9 on
    std::vector<std::pair<float, float>> points;
};

struct ObjectDesc {
    bool present = true; // false: no object at this index
    std::string name;
    int32_t sprite = -1;
    bool spriteMarker = false; // bit 31 of the sprite word (only where bits 28 to 30 are clear)
    bool visible = true;
    bool solid = false;
    int32_t depth = 0;
    bool persistent = false;
    int32_t parent = -1;
    int32_t mask = -1;
    PhysicsDesc physics;   // written from header version 6 on
    std::vector<EventDesc> events;
};

// A room's background layer, view, placed instance and tile, as the rooms chunk stores them.
struct RoomBackgroundDesc {
    bool present = true; // false: an empty entry in the room's list
    int32_t visible = 0;
    int32_t foreground = 0;
    int32_t background = -1;
    int32_t x = 0;
    int32_t y = 0;
    int32_t htiled = 1;
    int32_t vtiled = 1;
    int32_t hspeed = 0;
    int32_t vspeed = 0;
    int32_t stretch = 0;
};

struct RoomViewDesc {
    bool present = true;
    int32_t visible = 0;
    int32_t xview = 0;
    int32_t yview = 0;
    int32_t wview = 640;
    int32_t hview = 480;
    int32_t xport = 0;
    int32_t yport = 0;
    int32_t wport = 640;
    int32_t hport = 480;
    int32_t hborder = 32;
    int32_t vborder = 32;
    int32_t hspeed = -1;
    int32_t vspeed = -1;
    int32_t object = -1; // followed: an object index, or an instance id from 100000 on
};

struct RoomInstanceDesc {
    bool present = true;
    int32_t x = 0;
    int32_t y = 0;
    int32_t object = 0;
    int32_t id = 0;          // 0: the builder gives the next id after the header's lastInstanceId
    bool hasCode = false;    // creation code
    CodeDesc code;
    float xscale = 1.0f;
    float yscale = 1.0f;
    uint32_t colour = 0xFFFFFFFFu; // blend in the low 24 bits, alpha in the top byte
    float rotation = 0.0f;
};

struct RoomTileDesc {
    bool present = true;
    int32_t x = 0;
    int32_t y = 0;
    int32_t background = 0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 16;
    int32_t height = 16;
    int32_t depth = 0;
    int32_t id = 0;          // 0: the builder gives the next id after the header's lastTileId
    float xscale = 1.0f;
    float yscale = 1.0f;
    uint32_t colour = 0xFFFFFFFFu;
};

struct RoomDesc {
    bool present = true; // false: no room at this index
    std::string name;
    bool hasCaption = true;
    std::string caption;
    int32_t width = 640;
    int32_t height = 480;
    int32_t speed = 30;
    bool persistent = false;
    uint32_t colour = 0xC0C0C0u;
    bool showColour = true;
    bool hasCode = false; // creation code
    CodeDesc code;
    uint32_t enableViews = 0; // the views word as written: real files carry 2 (views off) and 3 (on)
    bool usesPhysics = false; // the physics words are written from header version 6 on
    float gravityX = 0.0f;
    float gravityY = 10.0f;
    float physicsScale = 0.1f;
    std::vector<RoomBackgroundDesc> backgrounds; // any number: the run-time reads eight
    std::vector<RoomViewDesc> views;
    std::vector<RoomInstanceDesc> instances;
    std::vector<RoomTileDesc> tiles;
};

// How a sprite's masks come from its frames' alpha: one per frame, one for all (the union), none.
enum class SpriteMasks { PerFrame, One, None };

// A sprite: its frames are pictures of one size (the first frame's), packed into the texture pages
// after the game's own pictures.
struct SpriteDesc {
    bool present = true; // false: no sprite at this index
    std::string name;
    std::vector<PictureDesc> frames;
    int32_t xorigin = 0;
    int32_t yorigin = 0;
    int32_t bboxMode = 0;               // 0 from the opaque pixels, 1 the full frame, 2 the box below
    int32_t bbox[4] = {0, 0, 0, 0};      // left, top, right, bottom (mode 2)
    bool transparent = true;
    bool smooth = false;
    bool preload = true;
    bool precise = true;
    SpriteMasks masks = SpriteMasks::PerFrame;
};

// A generated sound: a sine tone as a 16-bit mono PCM WAV image.
struct ToneDesc {
    int32_t frequency = 440;
    int32_t milliseconds = 500;
    int32_t rate = 22050;
    float amplitude = 0.5f;
};

// One entry of the sounds chunk; its data (a whole sound-file image) becomes an entry of the audio
// chunk.
struct SoundDesc {
    bool present = true; // false: no sound at this index
    std::string name;
    int32_t kind = 0;    // 0 in memory; 1 and above music, played by file name
    std::string extension = ".wav";
    std::string fileName;
    uint32_t effects = 0;
    float volume = 1.0f;
    float pan = 0.0f;
    uint32_t preload = 1;
    std::vector<uint8_t> data;  // empty: no audio entry
    int32_t audioIndex = -2;    // -2: the next audio entry when there is data, else -1
};

// A background: one picture, packed into the texture pages after the sprites' frames; without one
// its record names no page entry.
struct BackgroundDesc {
    bool present = true; // false: no background at this index
    std::string name;
    bool hasPicture = false;
    PictureDesc picture;
    bool transparent = false;
    bool smooth = false;
    bool preload = true;
};

// A glyph of a font: its cell on the font's picture, its advance and its offset from the pen.
struct FontGlyphDesc {
    int32_t code = 0;
    int32_t x = 0, y = 0, w = 0, h = 0;
    int32_t shift = 0;
    int32_t offset = 0;
};

// A font: a picture holding the glyph cells (packed into the texture pages uncropped, after the
// sprites' frames) and a glyph record per character, in ascending order of code.
struct FontDesc {
    bool present = true; // false: no font at this index
    std::string name;
    bool hasFontName = true; // false: offset 0
    std::string fontName = "Arial";
    int32_t size = 12;
    bool bold = false;
    bool italic = false;
    int32_t first = 32;
    int32_t last = 127;
    int32_t charset = 0;    // 0: none given
    int32_t antialias = -1; // the level; -1: none given
    float xscale = 1.0f;
    float yscale = 1.0f;
    bool hasPicture = false; // false: no texture-page entry
    PictureDesc picture;
    std::vector<FontGlyphDesc> glyphs;
};

// A path: its control points (x, y, speed factor); kind 1 smooths them, any other number (written as
// given) joins them by straight lines.
struct PathDesc {
    bool present = true; // false: no path at this index
    std::string name;
    int32_t kind = 0;
    bool closed = true;
    int32_t precision = 4;
    std::vector<std::array<float, 3>> points;
};

// One entry of the shader chunk: its name, kind and eight source texts (source 5 the vertex
// shader, source 6 the fragment shader); a source that is not present has file offset 0.
struct ShaderDesc {
    bool present = true; // false: no shader at this index
    std::string name;
    int32_t kind = 0;
    std::array<bool, 8> hasSource = {};
    std::array<std::string, 8> sources;
};

// A moment of a time line: its step and the code that runs then (an event of one action).
struct MomentDesc {
    int32_t time = 0;
    CodeDesc code;
};

struct TimeLineDesc {
    bool present = true; // false: no time line at this index
    std::string name;
    std::vector<MomentDesc> moments; // written in the order given (the run-time expects ascending times)
};

// Extension packages ("EXTN"): files of library or script functions that scripts call as
// 500000 + id. Argument and return types: 1 string, 2 real; a function's kind 12 is cdecl.
struct ExtensionFunctionDesc {
    std::string name;
    std::string externalName; // empty: the name
    int32_t id = 0;
    int32_t kind = 12;
    std::vector<int32_t> argTypes;
    int32_t returnType = 2;
};

struct ExtensionFileDesc {
    std::string fileName;
    int32_t kind = 1; // 1 a dynamic library, 2 script code
    std::string initName;
    std::string finalName;
    std::vector<ExtensionFunctionDesc> functions;
};

struct ExtensionPackageDesc {
    bool present = true; // false: an empty slot
    std::string name;
    std::string folder;
    std::vector<ExtensionFileDesc> files;
};

struct GameDesc {
    HeaderDesc header;
    // True: the game carries compiled code (code, variables and functions chunks); false: the
    // scripts and events carry their source text.
    bool compiledCode = false;
    // Tests: each reference chain runs from the last reference back to the first.
    bool backwardChains = false;
    // Compiled form: the name the variables and functions chunks write for a name the code uses,
    // by the name the compiler knows it by (real files spell some built-ins "colour").
    std::map<std::string, std::string> linkNames;
    std::vector<SpriteDesc> sprites;
    std::vector<BackgroundDesc> backgrounds;
    std::vector<FontDesc> fonts;
    // The 256 character codes at the end of the fonts chunk; entry i is i unless given here.
    std::vector<int32_t> fontCharacters;
    std::vector<PathDesc> paths;
    std::vector<ScriptDesc> scripts;
    std::vector<ShaderDesc> shaders; // "SHDR" when not empty
    std::vector<TimeLineDesc> timeLines;
    std::vector<ObjectDesc> objects;
    std::vector<RoomDesc> rooms;
    std::vector<SoundDesc> sounds; // "SOND" and "AUDO" when not empty
    std::vector<ExtensionPackageDesc> extensions; // "EXTN" when not empty
    bool hasOptions = true;
    OptionsDesc options;
    std::vector<std::string> extraStrings; // strings for the string table beyond those referred to
    std::vector<RawChunkDesc> rawChunks;
    // Pictures packed into texture pages ("TPAG" and "TXTR", after the raw chunks).
    TexturesDesc textures;
    // The order of the chunks by tag; empty gives the usual order (header, options, raw chunks,
    // sprites and textures, paths, scripts, time lines, objects, rooms, then code, variables and
    // functions for compiled code, strings last). A tag
    // named here that the game does not hold is an error.
    std::vector<std::string> chunkOrder;
};

// The game file of a description. False, with the problems in `errors`, when it cannot be built.
bool BuildGame(const GameDesc& game, std::vector<uint8_t>& out, std::string& errors);

} // namespace gamebuild
