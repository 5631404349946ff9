#include "run/Run_Highscore.h"

#include <cstring>
#include <optional>

#include "platform/Platform_MemoryManager.h"
#include "support/Support_SaveArea.h"
#include "support/Support_SaveAreaWrite.h"

namespace {

constexpr char FILE_NAME[] = "hiscore.dat";
constexpr char MAGIC[] = "HISC";

struct ScorePlace {
    std::optional<std::string> name;
    int32_t value = 0;
};

ScorePlace g_Places[SCORE_PLACES];
std::string g_NoName = "<nobody>";
uint8_t g_Changed = 0;
int32_t g_LastPlace = -1;

void PutU32(std::string& out, uint32_t number)
{
    for (int32_t i = 0; i < 4; ++i) out += static_cast<char>((number >> (8 * i)) & 0xFFu);
}

// Little-endian reads that never pass the end.
struct ScoreReader {
    const uint8_t* bytes;
    int32_t size;
    int32_t at = 0;

    bool U32(uint32_t* out)
    {
        if (size - at < 4) return false;
        *out = static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
               static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
        at += 4;
        return true;
    }
    bool Text(uint32_t length, std::string* out)
    {
        if (static_cast<uint32_t>(size - at) < length) return false;
        out->assign(reinterpret_cast<const char*>(bytes + at), length);
        at += static_cast<int32_t>(length);
        return true;
    }
};

// One place from the file: false when the reading ends here.
bool ReadPlace(ScoreReader& in, ScorePlace* place)
{
    uint32_t length = 0;
    if (!in.U32(&length) || length > SCORE_NAME_LIMIT) return false;
    std::optional<std::string> name;
    if (length > 0) {
        name.emplace();
        if (!in.Text(length, &*name)) return false;
        // The name ends at its first zero byte, as a C string would.
        name->resize(std::strlen(name->c_str()));
    }
    uint32_t value = 0;
    if (!in.U32(&value)) return false;
    // A place without a name is written with the value 0, so a length of 0 with a value is an empty
    // name that kept its score: read it back as one, or the next save would lose the score.
    if (length == 0 && value != 0) name.emplace();
    place->name = std::move(name);
    place->value = static_cast<int32_t>(value);
    return true;
}

} // namespace

void Score_SetNoName(const char* text) { g_NoName = text != nullptr ? text : ""; }

void Score_Clear()
{
    for (ScorePlace& place : g_Places) place = ScorePlace{g_NoName, 0};
}

void Score_Add(const char* name, int32_t value)
{
    int32_t at = 0;
    while (at < SCORE_PLACES && g_Places[at].value >= value) ++at;
    if (at == SCORE_PLACES) return;
    g_LastPlace = at;
    for (int32_t i = SCORE_PLACES - 1; i > at; --i) g_Places[i] = std::move(g_Places[i - 1]);
    g_Places[at].name = name != nullptr ? std::optional<std::string>(name) : std::nullopt;
    g_Places[at].value = value;
    g_Changed = 1;
}

int32_t Score_GetValue(int32_t place) { return place >= 1 && place <= SCORE_PLACES ? g_Places[place - 1].value : 0; }

const char* Score_GetName(int32_t place)
{
    if (place < 1 || place > SCORE_PLACES || !g_Places[place - 1].name) return nullptr;
    return g_Places[place - 1].name->c_str();
}

int32_t Score_LastPlace() { return g_LastPlace; }

void Score_Show(int32_t) {}

std::string Score_Encode()
{
    std::string out = MAGIC;
    PutU32(out, 0);
    for (const ScorePlace& place : g_Places) {
        // A longer name would end the reading of the file, losing the places after it.
        std::string name = place.name ? place.name->substr(0, SCORE_NAME_LIMIT) : "";
        auto length = static_cast<uint32_t>(name.size());
        PutU32(out, length);
        out += name;
        // Only a place without a name loses its value; an empty name keeps it.
        PutU32(out, place.name ? static_cast<uint32_t>(place.value) : 0);
    }
    uint32_t total = static_cast<uint32_t>(out.size());
    for (int32_t i = 0; i < 4; ++i) out[4 + i] = static_cast<char>((total >> (8 * i)) & 0xFFu);
    return out;
}

bool Score_Decode(const uint8_t* bytes, int32_t size)
{
    ScoreReader in{bytes, size};
    std::string magic;
    uint32_t total = 0;
    if (bytes == nullptr || !in.Text(4, &magic) || magic != MAGIC || !in.U32(&total)) return false;
    if (total > static_cast<uint32_t>(size)) return false;
    for (ScorePlace& place : g_Places) {
        if (!ReadPlace(in, &place)) break;
    }
    return true;
}

bool Score_Load()
{
    int32_t size = 0;
    uint8_t* bytes = LoadSave_ReadSaveAreaFile(FILE_NAME, &size);
    bool taken = Score_Decode(bytes, size);
    MemoryManager::Free(bytes);
    g_Changed = 0;
    return taken;
}

void Score_Save()
{
    if (g_Changed == 0) return;
    g_Changed = 0;
    std::string bytes = Score_Encode();
    LoadSave_WriteSaveAreaFile(FILE_NAME, bytes.data(), static_cast<int32_t>(bytes.size()));
}
