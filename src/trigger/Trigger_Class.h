// Triggers: named conditions written as game code, each with the constant name scripts would refer
// to it by and the moment of the frame it would be tested at. Nothing in a game file carries them
// and no stage tests them; the record can be read from a stream and the table looked up.
#pragma once

#include <cstdint>

class CCode;
class CStream;

constexpr int32_t TRIGGER_RECORD_VERSION = 800;

class CTrigger {
public:
    explicit CTrigger(int32_t index) : m_Index(index) {}
    virtual ~CTrigger();
    CTrigger(const CTrigger&) = delete;
    CTrigger& operator=(const CTrigger&) = delete;

    // Deletes the code and forgets the three texts; the moment becomes 1.
    void Clear();
    // Each keeps its own copy; null forgets it. A new condition drops the code compiled from the old.
    void SetName(const char* text);
    void SetCondition(const char* text);
    void SetConstantName(const char* text);
    // The record: version 800, name, condition, moment, constant name (texts as a 32-bit length and
    // the bytes). Cleared first; false, and left cleared, for another version or a length that is
    // negative or runs past the stream.
    bool LoadFromStream(CStream& stream);
    // Compiles the condition as a program named "Trigger.<name>"; false (the error text kept) when it
    // does not compile.
    bool Compile();

    const char* GetName() const { return m_pName; }
    const char* GetCondition() const { return m_pCondition; }
    const char* GetConstantName() const { return m_pConstantName; }
    int32_t GetMoment() const { return m_Moment; }
    int32_t GetIndex() const { return m_Index; }
    CCode* GetCode() const { return m_pCode; }

private:
    void DropCode();

    char* m_pName = nullptr;         // owned
    char* m_pCondition = nullptr;    // owned
    CCode* m_pCode = nullptr;        // owned
    char* m_pConstantName = nullptr; // owned
    int32_t m_Moment = 1;
    int32_t m_Index;
};

// The table: a hash from the trigger's index. The table takes the trigger; one already under that
// index is deleted.
void Trigger_Insert(int32_t index, CTrigger* trigger);
bool Trigger_Exists(int32_t index);
CTrigger* Trigger_Get(int32_t index);
// The trigger's name; null when there is none.
const char* Trigger_Name(int32_t index);
// The index of the first trigger, bucket by bucket from bucket 0, whose constant name is exactly
// that name; -1 when none.
int32_t Trigger_FindByConstant(const char* name);
int32_t Trigger_Count();
// Deletes every trigger.
void Trigger_Clear();
// Program exit: every trigger deleted, their code with them, and the buckets' storage freed while
// the memory manager still stands.
void Trigger_Shutdown();
