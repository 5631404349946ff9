#include "buffer/Buffer_Values.h"

#include <cstring>

#include "base/Base_Numbers.h"
#include "buffer/Buffer_IBuffer.h"

namespace {

void StoreLittle(uint8_t* to, uint64_t bits, int32_t bytes)
{
    for (int32_t i = 0; i < bytes; ++i)
        to[i] = static_cast<uint8_t>(bits >> (8 * i));
}

uint64_t LoadLittle(const uint8_t* from, int32_t bytes)
{
    uint64_t bits = 0;
    for (int32_t i = 0; i < bytes; ++i)
        bits |= uint64_t(from[i]) << (8 * i);
    return bits;
}

} // namespace

bool Buffer_Encode(int32_t type, const ScriptValue* value, BufferBytes* out)
{
    // The typed operations take the real of any value; a string's real is 0.
    double real = value->real;
    out->text = nullptr;
    out->length = Buffer_TypeSize(type);
    switch (type) {
    case eBuffer_U8:
    case eBuffer_S8:
    case eBuffer_U16:
    case eBuffer_S16:
    case eBuffer_S32:
        StoreLittle(out->number, static_cast<uint32_t>(Numbers_TruncToInt32(real)), 4);
        return true;
    case eBuffer_U32:
        StoreLittle(out->number, static_cast<uint64_t>(Numbers_TruncToInt64(real)), 4);
        return true;
    case eBuffer_F32: {
        float single = Numbers_ToFloat(real);
        std::memcpy(out->number, &single, 4);
        return true;
    }
    case eBuffer_F64:
        std::memcpy(out->number, &real, 8);
        return true;
    case eBuffer_Bool:
        out->number[0] = real > 0.5 ? 1 : 0;
        return true;
    case eBuffer_String: {
        const char* text = Value_GetText(value);
        if (text == nullptr) text = "";
        out->text = reinterpret_cast<const uint8_t*>(text);
        out->length = static_cast<int64_t>(std::strlen(text)) + 1;
        return true;
    }
    default:
        return false;
    }
}

void Buffer_Decode(int32_t type, const uint8_t* bytes, ScriptValue* value)
{
    double real = 0;
    switch (type) {
    case eBuffer_U8:
    case eBuffer_Bool:
        real = bytes[0];
        break;
    case eBuffer_S8:
        real = static_cast<int8_t>(bytes[0]);
        break;
    case eBuffer_U16:
        real = static_cast<uint16_t>(LoadLittle(bytes, 2));
        break;
    case eBuffer_S16:
        real = static_cast<int16_t>(LoadLittle(bytes, 2));
        break;
    case eBuffer_U32:
        real = static_cast<uint32_t>(LoadLittle(bytes, 4));
        break;
    case eBuffer_S32:
        real = static_cast<int32_t>(LoadLittle(bytes, 4));
        break;
    case eBuffer_F32: {
        float single;
        std::memcpy(&single, bytes, 4);
        real = single;
        break;
    }
    case eBuffer_F64:
        std::memcpy(&real, bytes, 8);
        break;
    default:
        break;
    }
    value->real = real;
}
