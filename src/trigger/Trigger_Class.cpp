#include "trigger/Trigger_Class.h"

#include <cstring>
#include <string>
#include <vector>

#include "base/Base_Text.h"
#include "code/Code_Object.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_Stream.h"

namespace {

void Replace(char*& owned, const char* text)
{
    MemoryManager::Free(owned);
    owned = String_Copy(text);
}

// A text of the record: a 32-bit length, then that many bytes. A negative length, or one longer
// than what is left of the stream, refuses the record rather than reading what is not there.
bool ReadText(CStream& stream, std::string& out)
{
    if (stream.GetSize() - stream.GetPosition() < 4) return false;
    int32_t length = stream.ReadInteger();
    if (length < 0 || length > stream.GetSize() - stream.GetPosition()) return false;
    out.assign(size_t(length), '\0');
    return stream.ReadBuffer(out.data(), length) == length;
}

bool ReadWord(CStream& stream, int32_t& out)
{
    if (stream.GetSize() - stream.GetPosition() < 4) return false;
    out = stream.ReadInteger();
    return true;
}

// ---- the table -----------------------------------------------------------------------------------

constexpr uint32_t BUCKET_COUNT = 64; // a power of two: a bucket is the index ANDed with 63

struct TriggerNode {
    int32_t key;
    CTrigger* value;
};

// Each bucket's list from its head (the latest insertion) to its tail.
std::vector<std::vector<TriggerNode>> g_Buckets(BUCKET_COUNT);
int32_t g_Count = 0;

std::vector<TriggerNode>& BucketOf(int32_t index)
{
    return g_Buckets[uint32_t(index) & (BUCKET_COUNT - 1)];
}

} // namespace

CTrigger::~CTrigger()
{
    Clear();
}

void CTrigger::DropCode()
{
    delete m_pCode;
    m_pCode = nullptr;
}

void CTrigger::Clear()
{
    DropCode();
    SetName(nullptr);
    SetCondition(nullptr);
    SetConstantName(nullptr);
    m_Moment = 1;
}

void CTrigger::SetName(const char* text)
{
    Replace(m_pName, text);
}

void CTrigger::SetCondition(const char* text)
{
    // The code reads the text it was made from.
    DropCode();
    Replace(m_pCondition, text);
}

void CTrigger::SetConstantName(const char* text)
{
    Replace(m_pConstantName, text);
}

bool CTrigger::LoadFromStream(CStream& stream)
{
    Clear();
    int32_t version = 0, moment = 1;
    std::string name, condition, constant;
    if (!ReadWord(stream, version) || version != TRIGGER_RECORD_VERSION) return false;
    if (!ReadText(stream, name) || !ReadText(stream, condition) || !ReadWord(stream, moment) ||
        !ReadText(stream, constant))
        return false;
    SetName(name.c_str());
    SetCondition(condition.c_str());
    SetConstantName(constant.c_str());
    m_Moment = moment;
    return true;
}

bool CTrigger::Compile()
{
    DropCode();
    m_pCode = new CCode(m_pCondition != nullptr ? m_pCondition : "", false);
    std::string name = std::string("Trigger.") + (m_pName != nullptr ? m_pName : "");
    return m_pCode->Compile(name.c_str());
}

void Trigger_Insert(int32_t index, CTrigger* trigger)
{
    std::vector<TriggerNode>& bucket = BucketOf(index);
    for (TriggerNode& node : bucket) {
        if (node.key != index) continue;
        delete node.value;
        node.value = trigger;
        return;
    }
    bucket.insert(bucket.begin(), TriggerNode{index, trigger});
    ++g_Count;
}

bool Trigger_Exists(int32_t index)
{
    return Trigger_Get(index) != nullptr;
}

CTrigger* Trigger_Get(int32_t index)
{
    for (const TriggerNode& node : BucketOf(index))
        if (node.key == index) return node.value;
    return nullptr;
}

const char* Trigger_Name(int32_t index)
{
    const CTrigger* trigger = Trigger_Get(index);
    return trigger != nullptr ? trigger->GetName() : nullptr;
}

int32_t Trigger_FindByConstant(const char* name)
{
    if (name == nullptr) return -1;
    for (const std::vector<TriggerNode>& bucket : g_Buckets) {
        for (const TriggerNode& node : bucket) {
            const char* constant = node.value != nullptr ? node.value->GetConstantName() : nullptr;
            if (constant != nullptr && std::strcmp(constant, name) == 0) return node.key;
        }
    }
    return -1;
}

int32_t Trigger_Count()
{
    return g_Count;
}

void Trigger_Clear()
{
    for (std::vector<TriggerNode>& bucket : g_Buckets) {
        for (TriggerNode& node : bucket) delete node.value;
        bucket.clear();
    }
    g_Count = 0;
}

void Trigger_Shutdown()
{
    Trigger_Clear();
    for (std::vector<TriggerNode>& bucket : g_Buckets) std::vector<TriggerNode>().swap(bucket);
}
