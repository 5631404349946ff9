#include "code/Code_Value.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Code_TestBuffer.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_ScriptHeap.h"

namespace {

ScriptValue Real(double real) { return ScriptValue{VALUE_REAL, 0, real}; }

ScriptValue Text(const char* text)
{
    ScriptValue value = Real(0);
    Value_SetText(&value, text);
    return value;
}

void SetElement(ScriptValue* target, int32_t index, ScriptValue source)
{
    Value_SetArrayElement(target, &source, index);
    Value_Free(&source);
}

std::string TextForm(const ScriptValue& value, int32_t initialCapacity = 256)
{
    ValueTextBuffer text{nullptr, nullptr, 0};
    text.start = static_cast<char*>(MEM_ALLOC(static_cast<size_t>(initialCapacity), true));
    text.write = text.start;
    text.capacity = initialCapacity;
    Value_ToString(&text, &value);
    std::string result(text.start, static_cast<size_t>(text.write - text.start));
    MemoryManager::Free(text.start);
    return result;
}

ValueArray* ArrayOf(const ScriptValue& value) { return Value_GetArray(&value); }
const ScriptValue& At(const ScriptValue& value, int32_t row, int32_t column) { return ArrayOf(value)->rows[row].elements[column]; }

std::vector<uint8_t> Serialised(const ScriptValue& value)
{
    TestBuffer buffer;
    EXPECT_TRUE(Value_Serialise(&value, &buffer));
    return buffer.Bytes();
}

bool ReadBack(const std::vector<uint8_t>& bytes, ScriptValue* value)
{
    TestBuffer buffer(eBuffer_Fixed, bytes);
    return Value_Deserialise(value, &buffer);
}

// A byte stream written by hand: 'i' an int32, 'r' a real, 't' a text, 'n' the "no text" mark.
std::vector<uint8_t> Stream(const char* layout, std::initializer_list<double> numbers, std::initializer_list<const char*> texts = {})
{
    std::vector<uint8_t> out;
    auto number = numbers.begin();
    auto text = texts.begin();
    for (const char* at = layout; *at != '\0'; ++at) {
        if (*at == 'i') PutInt32(out, static_cast<int32_t>(*number++));
        if (*at == 'r') PutReal(out, *number++);
        if (*at == 't') PutText(out, *text++);
        if (*at == 'n') PutNoText(out);
    }
    return out;
}

// Every test releases what it made: the block count comes back to where it started.
class ValueTest : public ::testing::Test {
protected:
    void SetUp() override { m_Blocks = MemoryManager::BlockCount(); }
    void TearDown() override { EXPECT_EQ(m_Blocks, MemoryManager::BlockCount()) << "blocks leaked or lost"; }
    uint32_t m_Blocks = 0;
};

} // namespace

TEST_F(ValueTest, WritesWhoseSourceLiesInTheTarget)
{
    ScriptValue value = Real(0);
    SetElement(&value, 0, Text("first"));
    // The element itself is the source, and the row it sits in must grow.
    Value_SetArrayElement(&value, &At(value, 0, 0), 500);
    EXPECT_STREQ("first", Value_GetText(&At(value, 0, 500)));
    EXPECT_EQ(&At(value, 0, 500), Value_GetElementPointer(&value, 500));
    EXPECT_EQ(nullptr, Value_GetElementPointer(&value, 501));
    Value_SetArrayElement(&value, &At(value, 0, 0), 0);
    EXPECT_STREQ("first", Value_GetText(&At(value, 0, 0)));
    // The whole value written over itself.
    Value_SetArrayElement(&value, &value, -1);
    EXPECT_EQ(1, ArrayOf(value)->refCount);
    // The value's last array reference goes, and with it the element whose text is copied.
    ScriptValue holder = Real(0);
    Value_Copy(&holder, &At(value, 0, 500));
    Value_Copy(&value, &At(value, 0, 0));
    EXPECT_STREQ("first", Value_GetText(&value));
    Value_SetReal(&value, 0);
    SetElement(&value, 1, Text("second"));
    Value_SetText(&value, Value_GetText(&At(value, 0, 1)));
    EXPECT_STREQ("second", Value_GetText(&value));
    Value_Free(&holder);
    Value_Free(&value);
}



TEST_F(ValueTest, ElementsARowGainsReadAsZeroWhateverItsBlockHeld)
{
    // Blocks of the sizes a row grows through, written over and given back: a growing row may be
    // handed them, its spare room holding their bytes.
    for (size_t elements = 1; elements <= 64; elements *= 2) {
        void* block = MEM_ALLOC(elements * sizeof(ScriptValue), false);
        std::memset(block, 0xAB, elements * sizeof(ScriptValue));
        MemoryManager::Free(block);
    }
    struct Write {
        int32_t index;
        int32_t length; // the row's length after it
    };
    // Appends, a write inside the spare room past the end, one past the room, one far beyond.
    const Write writes[] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {7, 8}, {9, 10}, {40, 41}, {3, 41}};
    ScriptValue value = Real(0);
    std::vector<bool> written(64, false);
    for (const Write& write : writes) {
        SetElement(&value, write.index, Real(write.index + 100));
        written[static_cast<size_t>(write.index)] = true;
        const ValueArrayRow& row = ArrayOf(value)->rows[0];
        EXPECT_EQ(write.length, row.length) << "after writing " << write.index;
        EXPECT_LE(row.length, row.capacity);
        for (int32_t i = 0; i < row.length; ++i) {
            const ScriptValue& element = At(value, 0, i);
            EXPECT_EQ(VALUE_REAL, Value_GetKind(&element)) << i << " after writing " << write.index;
            EXPECT_EQ(written[static_cast<size_t>(i)] ? i + 100 : 0.0, element.real) << i << " after writing " << write.index;
        }
        EXPECT_EQ(nullptr, Value_GetElementPointer(&value, row.length));
    }
    // A copy made for writing holds the same elements, exactly as many as the row's length.
    ScriptValue shared = Real(0);
    Value_Copy(&shared, &value);
    SetElement(&shared, 41, Real(1));
    EXPECT_EQ(42, ArrayOf(shared)->rows[0].length);
    EXPECT_EQ(41, ArrayOf(value)->rows[0].length);
    EXPECT_EQ(140.0, At(shared, 0, 40).real);
    EXPECT_EQ(0.0, At(shared, 0, 39).real);
    Value_Free(&shared);
    Value_Free(&value);
}

TEST_F(ValueTest, DestroyingAnArrayFreesWhatItsElementsOwnWhereverTheyLie)
{
    struct Case {
        int32_t length;
        std::vector<int32_t> owners; // the elements holding a text (even) or an array (odd)
    };
    // Owners first, last, inside a stretch of four and in the stretch's ragged end.
    const Case cases[] = {{1, {0}}, {3, {2}}, {4, {0}}, {4, {3}}, {5, {4}}, {8, {1, 6}}, {9, {8}}, {12, {0, 5, 11}}, {7, {}}};
    for (const Case& c : cases) {
        uint32_t before = MemoryManager::BlockCount();
        ScriptValue value = Real(0);
        for (int32_t i = 0; i < c.length; ++i) SetElement(&value, i, Real(i));
        for (int32_t owner : c.owners) {
            if (owner % 2 == 0) {
                SetElement(&value, owner, Text("owned"));
                continue;
            }
            ScriptValue nested = Real(0);
            SetElement(&nested, 2, Text("inside"));
            SetElement(&value, owner, nested); // hands `nested` over
        }
        Value_Free(&value);
        EXPECT_EQ(before, MemoryManager::BlockCount()) << "length " << c.length;
    }
}

TEST_F(ValueTest, DeeplyNestedArraysNeverRecurse)
{
    // Each level holds the previous one: far deeper than the native stack could recurse.
    constexpr size_t depth = 300000;
    ScriptValue value = Real(1);
    for (size_t level = 0; level < depth; ++level) {
        ScriptValue outer = Real(0);
        Value_SetArrayElement(&outer, &value, 0);
        Value_Free(&value);
        value = outer;
    }
    std::string text = TextForm(value);
    EXPECT_EQ(depth * 4 + 1, text.size());
    EXPECT_EQ("{ { 1 } }", text.substr(depth * 2 - 4, 9));
    EXPECT_EQ("{ { ", text.substr(0, 4));
    TestBuffer buffer;
    ASSERT_TRUE(Value_Serialise(&value, &buffer));
    EXPECT_EQ(depth * 12 + 4 + 8 + 2, buffer.Bytes().size());
    buffer.Rewind();
    ScriptValue back = Real(0);
    ASSERT_TRUE(Value_Deserialise(&back, &buffer));
    EXPECT_EQ(text, TextForm(back));
    Value_Free(&back);
    Value_Free(&value);
}

TEST_F(ValueTest, ByteFormsAreExactAndReadBack)
{
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F, 0x04, 0x00}), Serialised(Real(1.5)));
    ScriptValue text = Text("hi");
    text.real = 2; // a string keeps whatever real it carries
    EXPECT_EQ(Stream("irt", {1, 2}, {"hi"}), Serialised(text));
    ScriptValue array = Real(0);
    SetElement(&array, 0, Real(7));
    Value_SetArrayElement(&array, &text, 32000 * 2 + 1);
    // Three rows: one element, none, then a real 0 and the copied string (which carries real 0).
    std::vector<uint8_t> bytes = Serialised(array);
    EXPECT_EQ(Stream("iiiirniiirnirt", {2, 3, 1, 0, 7, 0, 2, 0, 0, 1, 0}, {"hi"}), bytes);
    // And back: same text form, the string's text and real kept, a real without text.
    TestBuffer buffer(eBuffer_Fixed, bytes);
    ScriptValue back = Text("will be replaced");
    ASSERT_TRUE(Value_Deserialise(&back, &buffer));
    EXPECT_EQ(static_cast<int32_t>(bytes.size()), buffer.m_Position);
    EXPECT_EQ(TextForm(array), TextForm(back));
    Value_Free(&back);
    ASSERT_TRUE(ReadBack(Serialised(text), &back));
    EXPECT_STREQ("hi", Value_GetText(&back));
    EXPECT_EQ(2.0, back.real);
    Value_Free(&back);
    Value_Free(&text);
    Value_Free(&array);
    // A full fixed buffer reports the failed write: 14 bytes do not fit in 10.
    TestBuffer full(eBuffer_Fixed, std::vector<uint8_t>(10, 0));
    EXPECT_FALSE(Value_Serialise(&full.m_Scratch, &full));
}

TEST_F(ValueTest, MalformedStreamsAreRefused)
{
    ScriptValue value = Real(0);
    uint32_t bytesBefore = MemoryManager::TotalBytes(0);
    EXPECT_FALSE(ReadBack(Stream("iii", {2, 0x7FFFFFFF, 1}), &value)); // rows the stream cannot hold
    std::vector<uint8_t> hugeRow = Stream("iii", {2, 1, 0x40000000});   // elements
    hugeRow.resize(hugeRow.size() + 64, 0);
    EXPECT_FALSE(ReadBack(hugeRow, &value));
    EXPECT_EQ(bytesBefore, MemoryManager::TotalBytes(0)) << "nothing sized from an impossible count stays";
    EXPECT_FALSE(ReadBack(Stream("ii", {2, -1}), &value));
    EXPECT_FALSE(ReadBack(Stream("irn", {7, 0}), &value)); // an unknown kind
    EXPECT_FALSE(ReadBack({}, &value));
    // A real never takes a text from the stream.
    EXPECT_TRUE(ReadBack(Stream("irt", {0, 3}, {"stray"}), &value));
    EXPECT_EQ(0u, value.ref);
    EXPECT_EQ(3.0, value.real);
    // Every cut of a valid nested stream is refused and leaves nothing behind.
    ScriptValue source = Real(0);
    SetElement(&source, 0, Text("abc"));
    ScriptValue inner = Real(0);
    SetElement(&inner, 32001, Real(2));
    Value_SetArrayElement(&source, &inner, 1);
    std::vector<uint8_t> whole = Serialised(source);
    for (size_t cut = 0; cut + 1 < whole.size(); ++cut) {
        ASSERT_FALSE(ReadBack(std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)), &value))
            << "cut at " << cut;
        ASSERT_EQ(VALUE_REAL, value.kind);
        ASSERT_EQ(0u, value.ref);
    }
    Value_Free(&inner);
    Value_Free(&source);
    Value_Free(&value);
}
