// Code buffers: the words a code object runs (VMBuffer) and the growable buffer the bytecode
// generator writes them into (VMWriteBuffer).
#pragma once

#include <cstdint>

#include "code/Code_Bytecode.h"
#include "code/Code_LocalSlots.h"

struct VMTranslation;

// Instruction words and their size in bytes. A buffer made by the generator owns its words; one
// over loaded code points into the game file and does not.
class VMBuffer {
public:
    VMBuffer() = default;
    // A view of words owned elsewhere (the game file image).
    VMBuffer(uint8_t* words, int32_t size, const VMStringTable* strings = nullptr)
        : m_Size(size), m_pWords(words), m_pStrings(strings) {}
    virtual ~VMBuffer();

    VMBuffer(const VMBuffer&) = delete;
    VMBuffer& operator=(const VMBuffer&) = delete;

    uint32_t WordAt(int32_t offset) const { return VM_ReadWord(m_pWords, static_cast<uint32_t>(offset)); }

    int32_t m_Size = 0;
    uint8_t* m_pWords = nullptr;
    bool m_OwnsWords = false;
    // What the buffer's string operands index; null when it has none.
    const VMStringTable* m_pStrings = nullptr;
    // The words as the run loop decoded them, made on the first run (see Code_Translate.h).
    mutable VMTranslation* m_pTranslation = nullptr;
    // The locals that get frame slots, found on the first run (see Code_LocalSlots.h).
    mutable VMLocalSlots m_LocalSlots;

protected:
    // Writing words makes the translation stale.
    void DropTranslation();
};

// Storage doubles whenever a write would not fit, so the generator never sizes anything up front.
// Its words live at m_pWords (the base); the write cursor is the number of bytes written.
class VMWriteBuffer : public VMBuffer {
public:
    explicit VMWriteBuffer(int32_t capacity);

    void EnsureSpace(int32_t bytes);
    void WriteWords(int32_t count, const uint32_t* words);
    void Write(uint32_t word) { WriteWords(1, &word); }
    void WriteInt64(int64_t value);
    void WriteDouble(double value);
    void WriteBool(bool value) { Write(value ? 1u : 0u); }
    // Written as the double it widens to (two words), as the interpreter reads float constants.
    void WriteFloat(float value) { WriteDouble(static_cast<double>(value)); }

    // Byte position of the next word; branch sites are kept as such positions.
    int32_t Position() const { return m_Written; }
    uint32_t WordAtPosition(int32_t position) const { return WordAt(position); }
    void PatchWord(int32_t position, uint32_t word);

    // The generator's finish: the buffer's size becomes what was written.
    void Finish() { m_Size = m_Written; }

    int32_t Capacity() const { return m_Capacity; }

private:
    int32_t m_Capacity = 0;
    int32_t m_Written = 0;
};
