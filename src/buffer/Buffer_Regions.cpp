// Whole regions of a buffer: files, base64 and digests.
#include <algorithm>
#include <cstring>

#include "base/Base_Base64.h"
#include "buffer/Buffer_IBuffer.h"
#include "code/Code_Error.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_SaveArea.h"
#include "support/Support_Hash.h"
#include "support/Support_SaveAreaWrite.h"

namespace {

struct Region {
    int64_t offset = 0;
    int64_t size = 0;
};

// A negative size is the whole buffer. Without wrapping the region is clipped to the block (an
// empty buffer has an empty region); with it the offset comes into the block and the size stays.
Region NormaliseRegion(const IBuffer* buffer, int32_t offset, int32_t size, bool wrap)
{
    int64_t total = std::max(buffer->m_Size, 0);
    if (total == 0) return Region{};
    Region region{offset, size < 0 ? total : size};
    if (wrap) {
        region.offset %= total;
        if (region.offset < 0) region.offset += total;
        return region;
    }
    region.offset = std::clamp<int64_t>(region.offset, 0, total - 1);
    region.size = std::min(region.size, total - region.offset);
    return region;
}

// Hands the region to `feed` in pieces, going on from the block's start at its end.
template <typename Feed> void ForEachPiece(const IBuffer* buffer, Region region, Feed feed)
{
    int64_t at = region.offset;
    for (int64_t left = region.size; left > 0;) {
        int64_t piece = std::min(left, int64_t(buffer->m_Size) - at);
        feed(buffer->m_pData + at, static_cast<uint32_t>(piece));
        left -= piece;
        at = 0;
    }
}

bool IsUrl(const char* name)
{
    return std::strncmp(name, "http://", 7) == 0 || std::strncmp(name, "https://", 8) == 0;
}

} // namespace

bool IBuffer::Save(const char* name, int32_t offset, int32_t size)
{
    if (name == nullptr) return false;
    Region region = NormaliseRegion(this, offset, size, false);
    return LoadSave_WriteSaveAreaFile(name, m_pData + region.offset, static_cast<int32_t>(region.size));
}

bool IBuffer::Load(const char* name, int32_t sourceOffset, int32_t size, int32_t destinationOffset)
{
    if (name == nullptr || IsUrl(name)) return false;
    int32_t length = 0;
    uint8_t* bytes = LoadSave_ReadSaveAreaFile(name, &length);
    if (bytes == nullptr) bytes = LoadSave_ReadBundleFile(name, &length);
    if (bytes == nullptr) return false;
    bool done = WriteRegion(this, bytes, length, sourceOffset, size, destinationOffset,
                            m_Kind == eBuffer_Grow || m_Size == 0, Wraps(), false);
    MemoryManager::Free(bytes);
    return done;
}

void IBuffer::Base64Encode(ScriptValue* out, int32_t offset, int32_t size)
{
    if (out == nullptr) return;
    Region region = NormaliseRegion(this, offset, size, false);
    auto length = static_cast<uint32_t>(region.size);
    if (Error_TextTooLong(Base64_EncodedSize(length) - 1)) return;
    auto* text = static_cast<char*>(MEM_ALLOC(Base64_EncodedSize(length), false));
    Base64_Encode(m_pData + region.offset, length, text);
    Value_SetText(out, text);
    MemoryManager::Free(text);
}

bool IBuffer::Base64Decode(const char* text, int32_t offset, int32_t size)
{
    if (text == nullptr) return false;
    // The whole cleared block goes in, so the bytes after the data are zeros.
    int64_t blockSize = int64_t(std::strlen(text)) * 3 / 4 + 4;
    if (blockSize > BUFFER_MAX_SIZE) return false;
    auto* block = static_cast<uint8_t*>(MEM_ALLOC(static_cast<size_t>(blockSize), true));
    Base64_Decode(text, block, static_cast<uint32_t>(blockSize), false);
    bool done = WriteRegion(this, block, static_cast<int32_t>(blockSize), 0, size, offset,
                            m_Kind == eBuffer_Grow || m_Size == 0, Wraps(), false);
    MemoryManager::Free(block);
    return done;
}

void IBuffer::Md5(ScriptValue* out, int32_t offset, int32_t size)
{
    if (out == nullptr || m_Size <= 0) return;
    MD5Context context;
    MD5_Init(&context);
    ForEachPiece(this, NormaliseRegion(this, offset, size, Wraps()),
                 [&](const uint8_t* bytes, uint32_t length) { MD5_Update(&context, bytes, length); });
    MD5_Final(&context);
    Value_SetText(out, MD5_Hex(context).c_str());
}

void IBuffer::Sha1(ScriptValue* out, int32_t offset, int32_t size)
{
    if (out == nullptr) return;
    SHA1Context context;
    SHA1_Reset(&context);
    ForEachPiece(this, NormaliseRegion(this, offset, size, Wraps()),
                 [&](const uint8_t* bytes, uint32_t length) { SHA1_Input(&context, bytes, length); });
    SHA1_Result(&context);
    Value_SetText(out, SHA1_Hex(context).c_str());
}
