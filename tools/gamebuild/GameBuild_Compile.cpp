// Compiling a described game's code with the run-time's own compiler, bytecode generator and
// assembler, and turning the identifiers they wrote into names: the game file links variables and
// functions by name when it is loaded, and its string operands index the game's string table.
#include <cctype>
#include <cstring>
#include <utility>

#include "app/App_CommandLine.h"
#include "app/App_Startup.h"
#include "code/Code_Assembler.h"
#include "code/Code_Bytecode.h"
#include "code/Code_Constants.h"
#include "code/Code_Error.h"
#include "code/Code_Function.h"
#include "code/Code_Object.h"
#include "function/Function_Registry.h"
#include "gamebuild/GameBuild_Chunks.h"
#include "run/Run_Event.h"
#include "gamebuild/GameBuild_Extensions.h"
#include "run/Run_EventNames.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_Global.h"
#include "variable/Variable_Names.h"

namespace gamebuild {
namespace {

// The game whose code is being compiled: its resources answer the compiler's lookups.
const GameDesc* g_pGame = nullptr;

template <typename T> int32_t FindByName(const std::vector<T>& list, const char* name)
{
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].present && list[i].name == name) return static_cast<int32_t>(i);
    return -1;
}

int32_t FindScript(const char* name) { return FindByName(g_pGame->scripts, name); }
int32_t FindObject(const char* name) { return FindByName(g_pGame->objects, name); }
int32_t FindRoom(const char* name) { return FindByName(g_pGame->rooms, name); }
int32_t FindPath(const char* name) { return FindByName(g_pGame->paths, name); }
int32_t FindTimeLine(const char* name) { return FindByName(g_pGame->timeLines, name); }
int32_t FindSprite(const char* name) { return FindByName(g_pGame->sprites, name); }
int32_t FindBackground(const char* name) { return FindByName(g_pGame->backgrounds, name); }
int32_t FindFont(const char* name) { return FindByName(g_pGame->fonts, name); }
// As the run-time names sounds: the older system by the sound's name, the newer one (option word 2)
// by its file name without the extension. A sound's index is also its audio asset's.
int32_t FindSound(const char* name)
{
    if (g_pGame->options.words[2] == 0) return FindByName(g_pGame->sounds, name);
    const std::string base = std::string(name) + ".";
    for (size_t i = 0; i < g_pGame->sounds.size(); ++i)
        if (g_pGame->sounds[i].present && g_pGame->sounds[i].fileName.starts_with(base)) return static_cast<int32_t>(i);
    return -1;
}
int32_t FindExtension(const char* name) { return ExtensionFunctionId(g_pGame->extensions, name); }
int32_t ExtensionArgCount(int32_t id) { return ExtensionFunctionArgCount(g_pGame->extensions, id); }

// Installs the game's names for the compiler and the assembler, and puts back what was there.
class LookupScope {
public:
    explicit LookupScope(const GameDesc& game) : m_Callables(g_CallableLookup), m_Bytecode(g_UseBytecode)
    {
        g_pGame = &game;
        g_CallableLookup.findScript = FindScript;
        g_CallableLookup.findExtension = FindExtension;
        g_CallableLookup.extensionArgCount = ExtensionArgCount;
        const std::pair<const char*, int32_t (*)(const char*)> finders[] = {
            {"object", FindObject}, {"script", FindScript},         {"room", FindRoom},
            {"path", FindPath},     {"timeline", FindTimeLine},     {"sprite", FindSprite},
            {"font", FindFont},     {"background", FindBackground}, {"sound", FindSound}};
        for (int32_t i = 0; i < CONSTANT_RESOURCE_KINDS; ++i) {
            m_Resources[i] = g_ConstantResourceLookups[i];
            for (const auto& [kind, find] : finders)
                if (std::strcmp(g_ConstantResourceLookups[i].kind, kind) == 0) g_ConstantResourceLookups[i].find = find;
        }
        g_UseBytecode = 1;
    }
    ~LookupScope()
    {
        g_CallableLookup = m_Callables;
        for (int32_t i = 0; i < CONSTANT_RESOURCE_KINDS; ++i) g_ConstantResourceLookups[i] = m_Resources[i];
        g_UseBytecode = m_Bytecode;
        g_pGame = nullptr;
    }
    LookupScope(const LookupScope&) = delete;
    LookupScope& operator=(const LookupScope&) = delete;

private:
    CallableLookup m_Callables;
    ConstantResourceLookup m_Resources[CONSTANT_RESOURCE_KINDS];
    uint8_t m_Bytecode;
};

// The name a call's identifier stands for; "" when the builder cannot name it.
std::string CallableName(int32_t id)
{
    if (id >= 0 && id < CALLABLE_SCRIPT_BASE) {
        const FunctionEntry* row = Function_Get(id);
        return row != nullptr ? row->name : "";
    }
    if (id >= CALLABLE_EXTENSION_BASE) return ExtensionFunctionName(g_pGame->extensions, id - CALLABLE_EXTENSION_BASE);
    int32_t script = id - CALLABLE_SCRIPT_BASE;
    if (id < CALLABLE_EXTENSION_BASE && script < static_cast<int32_t>(g_pGame->scripts.size()) &&
        g_pGame->scripts[static_cast<size_t>(script)].present)
        return g_pGame->scripts[static_cast<size_t>(script)].name;
    return "";
}

// Copies the words, noting every variable and function operand by name and moving every string
// operand into the image's string table.
bool TakeWords(const uint8_t* words, int32_t size, const VMStringTable* strings, ImageWriter& image,
               CodeEntryDesc& entry, std::string& problem)
{
    entry.bytes.assign(words, words + size);
    for (int32_t at = 0; at < size;) {
        uint32_t word = VM_ReadWord(entry.bytes.data(), static_cast<uint32_t>(at));
        int32_t length = VM_InstructionSize(word);
        if (at + length > size) {
            problem = "the bytecode ends inside an instruction";
            return false;
        }
        uint32_t operandAt = static_cast<uint32_t>(at) + 4;
        uint32_t operand = VM_WordHasOperand(word) ? VM_ReadWord(entry.bytes.data(), operandAt) : 0;
        uint8_t type = VM_WordFirstType(word);
        if (VM_WordHasOperand(word) && type == VM_TYPE_VARIABLE) {
            entry.variables.push_back({static_cast<uint32_t>(at), Code_Variable_Find_Name(static_cast<int32_t>(operand & VM_VAR_ID_MASK))});
        } else if (VM_WordHasOperand(word) && VM_WordOpcode(word) == VM_OP_CALL) {
            std::string name = CallableName(static_cast<int32_t>(operand));
            if (name.empty()) {
                problem = "a call of callable " + std::to_string(static_cast<int32_t>(operand)) + ", which has no name here";
                return false;
            }
            entry.functions.push_back({static_cast<uint32_t>(at), name});
        } else if (VM_WordHasOperand(word) && VM_WordOpcode(word) == VM_OP_PUSH && type == VM_TYPE_STRING) {
            const char* text = strings != nullptr ? strings->Get(operand) : nullptr;
            if (text == nullptr) {
                problem = "a string operand outside the code's strings";
                return false;
            }
            VM_WriteWord(entry.bytes.data(), operandAt, static_cast<uint32_t>(image.StringIndex(text)));
        }
        at += length;
    }
    return true;
}

bool CompileSource(const std::string& source, ImageWriter& image, CodeEntryDesc& entry, std::string& problem)
{
    CCode code(source.c_str(), false);
    if (!code.Compile(entry.name.c_str())) {
        problem = g_CodeErrorText;
        return false;
    }
    const VMBuffer* words = code.m_pCode;
    if (words == nullptr) return true; // code that compiled to nothing
    return TakeWords(words->m_pWords, words->m_Size, words->m_pStrings, image, entry, problem);
}

bool Assemble(const std::string& text, ImageWriter& image, CodeEntryDesc& entry, std::string& problem)
{
    VMAssembly assembly;
    if (!VM_Assemble(text.c_str(), assembly)) {
        problem = assembly.error;
        return false;
    }
    return TakeWords(assembly.Bytes(), assembly.Size(), &assembly.strings, image, entry, problem);
}

int32_t AddEntry(const std::string& name, const CodeDesc& desc, const std::string& where, ImageWriter& image,
                 GameCode& code)
{
    CodeEntryDesc entry;
    // As a compiled code object's name: white space becomes "_".
    entry.name = name;
    for (char& c : entry.name)
        if (std::isspace(static_cast<unsigned char>(c))) c = '_';
    std::string problem;
    bool made = desc.isAssembly ? Assemble(desc.assembly, image, entry, problem) : CompileSource(desc.source, image, entry, problem);
    if (!made) image.Error(where + ": " + problem);
    code.entries.push_back(std::move(entry));
    return static_cast<int32_t>(code.entries.size()) - 1;
}

std::string EventCodeName(const GameDesc& game, const ObjectDesc& object, const EventDesc& event)
{
    std::string shortName;
    if (event.type == 4) {
        bool named = event.subtype >= 0 && event.subtype < static_cast<int32_t>(game.objects.size());
        shortName = named ? game.objects[static_cast<size_t>(event.subtype)].name : "<undefined>";
    } else {
        shortName = Event_GetShortName(event.type, event.subtype);
    }
    return "Object." + object.name + "." + shortName + ".0";
}

// The creation code of each room and of each instance placed in one, named as the run-time names
// the same code compiled from source.
void CompileRoomCode(const GameDesc& game, ImageWriter& image, GameCode& code)
{
    code.roomEntry.assign(game.rooms.size(), -1);
    code.instanceEntry.assign(game.rooms.size(), {});
    for (size_t i = 0; i < game.rooms.size(); ++i) {
        const RoomDesc& room = game.rooms[i];
        if (!room.present) continue;
        std::string at = "rooms[" + std::to_string(i) + "]";
        if (room.hasCode) code.roomEntry[i] = AddEntry("Room." + room.name, room.code, at, image, code);
        code.instanceEntry[i].assign(room.instances.size(), -1);
        for (size_t k = 0; k < room.instances.size(); ++k) {
            const RoomInstanceDesc& instance = room.instances[k];
            if (!instance.present || !instance.hasCode) continue;
            code.instanceEntry[i][k] = AddEntry("Instance." + room.name + "." + std::to_string(k), instance.code,
                                                at + ".instances[" + std::to_string(k) + "]", image, code);
        }
    }
}

// The moments' code, named as the run-time names a moment compiled from source: the event compiler
// names it after the object whose index is the time line's, with the name of an unknown event.
void CompileMomentCode(const GameDesc& game, ImageWriter& image, GameCode& code)
{
    code.momentEntry.assign(game.timeLines.size(), {});
    for (size_t i = 0; i < game.timeLines.size(); ++i) {
        const TimeLineDesc& line = game.timeLines[i];
        if (!line.present) continue;
        bool named = i < game.objects.size() && game.objects[i].present;
        std::string prefix = "Object." + (named ? game.objects[i].name : std::string("<undefined>")) + ".";
        for (size_t k = 0; k < line.moments.size(); ++k) {
            const MomentDesc& moment = line.moments[k];
            std::string name = prefix + Event_GetShortName(EVENT_TYPE_TIMELINE, moment.time) + ".0";
            std::string where = "timelines[" + std::to_string(i) + "].moments[" + std::to_string(k) + "]";
            code.momentEntry[i].push_back(AddEntry(name, moment.code, where, image, code));
        }
    }
}

// A name declared globalvar anywhere in the game is a global wherever code names it without an
// owner, as compiled code of the authoring tools has it: the declaration writes no instruction, so
// the run-time would never learn of it and would read such a name as the instance's own.
void MakeGlobalVarsGlobal(GameCode& code)
{
    for (CodeEntryDesc& entry : code.entries)
        for (const CodeReference& reference : entry.variables) {
            uint32_t word = VM_ReadWord(entry.bytes.data(), reference.offset);
            uint32_t operand = VM_ReadWord(entry.bytes.data(), reference.offset + 4);
            bool unnamed = (operand & VM_VAR_INSTANCE_IN_WORD) != 0 && (operand & VM_VAR_INSTANCE_OFFSET) == 0 &&
                           VM_WordShort(word) == VM_INSTANCE_UNNAMED;
            if (!unnamed || !Variable_IsGlobalVar(static_cast<int32_t>(operand & VM_VAR_ID_MASK))) continue;
            word = (word & 0xFFFF0000u) | (static_cast<uint32_t>(VM_INSTANCE_GLOBAL) & 0xFFFFu);
            VM_WriteWord(entry.bytes.data(), reference.offset, word);
        }
}

} // namespace

void PrepareCompiler()
{
    Variable_BuiltIn_Init();
    Constant_Init();
    if (g_FunctionCount == 0) RegisterAllFunctionFamilies();
}

// The built-ins a game can call depend on its header: older headers register other argument counts
// and a few functions of their own. The table is made again when the header set changes.
void RegisterFunctionsFor(const std::string& tag)
{
    FunctionHeader registered = Function_Header();
    Function_SetHeaderTag(tag.c_str());
    if (g_FunctionCount != 0 && Function_Header() == registered) return;
    Function_FreeTable();
    RegisterAllFunctionFamilies();
}

void CompileGameCode(const GameDesc& game, ImageWriter& image, GameCode& code)
{
    RegisterFunctionsFor(game.header.tag);
    LookupScope scope(game);
    code.scriptEntry.assign(game.scripts.size(), -1);
    for (size_t i = 0; i < game.scripts.size(); ++i) {
        const ScriptDesc& script = game.scripts[i];
        if (!script.present) continue;
        code.scriptEntry[i] = AddEntry("Script." + script.name, script.code, "scripts[" + std::to_string(i) + "]", image, code);
    }
    code.eventEntry.assign(game.objects.size(), {});
    for (size_t i = 0; i < game.objects.size(); ++i) {
        const ObjectDesc& object = game.objects[i];
        for (size_t k = 0; k < object.events.size(); ++k) {
            std::string where = "objects[" + std::to_string(i) + "].events[" + std::to_string(k) + "]";
            code.eventEntry[i].push_back(AddEntry(EventCodeName(game, object, object.events[k]), object.events[k].code, where, image, code));
        }
    }
    CompileRoomCode(game, image, code);
    CompileMomentCode(game, image, code);
    MakeGlobalVarsGlobal(code);
}

} // namespace gamebuild
