#include "support/Support_Stream.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/Base_Bytes.h"
#include "base/Base_Console.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_SaveArea.h"

namespace {

// Only the low 32 bits of size and position count, so a stream never grows past this.
constexpr int64_t MAX_STREAM_SIZE = INT32_MAX;
constexpr int64_t ZLIB_CHUNK = 16384;

uint8_t* NewBlock(int64_t size)
{
    return size > 0 ? static_cast<uint8_t*>(MEM_ALLOC(static_cast<size_t>(size), true)) : nullptr;
}

voidpf ZAlloc(voidpf, uInt items, uInt size)
{
    return MEM_ALLOC(static_cast<size_t>(items) * size, true);
}

void ZFree(voidpf, voidpf block) { MemoryManager::Free(block); }

// Appends what the output area produced; false on a short append.
bool Append(CStream& destination, const uint8_t* area, uInt left)
{
    int64_t produced = ZLIB_CHUNK - left;
    return produced == 0 || destination.WriteBuffer(area, produced) == produced;
}

// The next chunk of at most 16384 bytes from the source's position; the position moves past it.
uInt TakeChunk(CStream& source, Bytef** next)
{
    int64_t position = source.GetPosition();
    int64_t left = position >= 0 ? source.GetSize() - position : 0;
    int64_t count = std::clamp<int64_t>(left, 0, ZLIB_CHUNK);
    *next = count > 0 ? source.GetBuffer() + position : nullptr;
    source.SetPosition(position + count);
    return static_cast<uInt>(count);
}

int32_t Inflate(CStream& source, CStream& destination)
{
    z_stream zs{};
    zs.zalloc = ZAlloc;
    zs.zfree = ZFree;
    int rc = inflateInit(&zs);
    if (rc != Z_OK) return rc;
    uint8_t area[ZLIB_CHUNK];
    do {
        zs.avail_in = TakeChunk(source, &zs.next_in);
        if (zs.avail_in == 0) break;
        do {
            zs.next_out = area;
            zs.avail_out = ZLIB_CHUNK;
            rc = inflate(&zs, Z_NO_FLUSH);
            if (rc == Z_NEED_DICT) rc = Z_DATA_ERROR;
            if (rc == Z_DATA_ERROR || rc == Z_MEM_ERROR || rc == Z_STREAM_ERROR) {
                inflateEnd(&zs);
                return rc;
            }
            if (!Append(destination, area, zs.avail_out)) {
                inflateEnd(&zs);
                return -1;
            }
        } while (zs.avail_out == 0);
    } while (rc != Z_STREAM_END);
    inflateEnd(&zs);
    return rc == Z_STREAM_END ? 0 : Z_DATA_ERROR;
}

int32_t Deflate(CStream& source, CStream& destination, int level)
{
    z_stream zs{};
    int rc = deflateInit(&zs, level);
    if (rc != Z_OK) return rc;
    uint8_t area[ZLIB_CHUNK];
    int flush;
    do {
        zs.avail_in = TakeChunk(source, &zs.next_in);
        flush = source.GetPosition() >= source.GetSize() ? Z_FINISH : Z_NO_FLUSH;
        do {
            zs.next_out = area;
            zs.avail_out = ZLIB_CHUNK;
            deflate(&zs, flush);
            if (!Append(destination, area, zs.avail_out)) {
                deflateEnd(&zs);
                return -1;
            }
        } while (zs.avail_out == 0);
    } while (flush != Z_FINISH);
    deflateEnd(&zs);
    return 0;
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// A digit's low four bits, plus 9 for letters (so 'A' and 'a' give 10).
uint32_t HexValue(char c)
{
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    return (static_cast<uint8_t>(c) & 0x0F) + (letter ? 9 : 0);
}

} // namespace

CStream::CStream(int64_t size)
{
    if (size > 0 && size <= MAX_STREAM_SIZE) {
        m_Data = NewBlock(size);
        m_Size = size;
    }
}

CStream::~CStream()
{
    if (!m_Borrowed) MemoryManager::Free(m_Data);
}

void CStream::Delete(CStream* stream) { delete stream; }

void CStream::FreeBuffer()
{
    if (m_Borrowed || m_Data == nullptr) return;
    MemoryManager::Free(m_Data);
    m_Data = nullptr;
    m_Size = 0;
}

void CStream::SetPosition(int64_t position) { m_Position = position; }

int64_t CStream::Seek(int64_t offset, int32_t origin)
{
    switch (origin) {
    case 0: m_Position = offset; break;
    case 1: m_Position += offset; break;
    case 2: m_Position = m_Size + offset; break;
    default: break;
    }
    return m_Position;
}

int64_t CStream::Remaining() const
{
    if (m_Position < 0 || m_Position >= m_Size) return 0;
    return m_Size - m_Position;
}

void CStream::Adopt(uint8_t* data, int64_t size)
{
    if (!m_Borrowed) MemoryManager::Free(m_Data);
    m_Data = data;
    m_Size = data != nullptr ? size : 0;
    m_Borrowed = 0;
}

void CStream::Detach()
{
    if (!m_Borrowed) return;
    uint8_t* copy = NewBlock(m_Size);
    if (copy != nullptr) std::memcpy(copy, m_Data, static_cast<size_t>(m_Size));
    m_Data = copy;
    m_Borrowed = 0;
}

bool CStream::Reserve(int64_t n)
{
    if (m_Position + n <= m_Size) return true;
    int64_t needed = m_Position + n;
    if (needed > MAX_STREAM_SIZE) return false;
    int64_t grown = std::min(std::max(2 * m_Size, needed), MAX_STREAM_SIZE);
    if (m_Borrowed || m_Data == nullptr) {
        // Never resize a block that belongs to another stream: grow into a copy of our own.
        uint8_t* block = NewBlock(grown);
        if (m_Data != nullptr) std::memcpy(block, m_Data, static_cast<size_t>(m_Size));
        m_Data = block;
        m_Borrowed = 0;
    } else {
        m_Data = static_cast<uint8_t*>(MEM_REALLOC(m_Data, static_cast<size_t>(grown)));
    }
    m_Size = grown;
    return true;
}

int64_t CStream::ReadBuffer(void* destination, int64_t n)
{
    int64_t count = std::min(n, Remaining());
    if (destination == nullptr || count < 1) return 0;
    std::memcpy(destination, m_Data + m_Position, static_cast<size_t>(count));
    m_Position += count;
    return count;
}

int64_t CStream::WriteBuffer(const void* source, int64_t n)
{
    // A negative position has no place in the data to write to.
    if (n < 1 || source == nullptr || m_Position < 0) return 0;
    // A source inside our own data must be found again after the data move.
    auto* from = static_cast<const uint8_t*>(source);
    bool inside = m_Data != nullptr && from >= m_Data && from < m_Data + m_Size;
    int64_t offset = inside ? from - m_Data : 0;
    if (inside && offset + n > m_Size) return 0;
    if (!Reserve(n)) return 0;
    if (inside) from = m_Data + offset;
    std::memmove(m_Data + m_Position, from, static_cast<size_t>(n));
    m_Position += n;
    return n;
}

int32_t CStream::ReadInteger()
{
    if (Remaining() < 4) return 0;
    uint32_t value = Bytes_GetLE32(m_Data + m_Position);
    m_Position += 4;
    return static_cast<int32_t>(value);
}

double CStream::ReadReal()
{
    if (Remaining() < 8) return 0.0;
    uint64_t bits =
        uint64_t(Bytes_GetLE32(m_Data + m_Position)) | uint64_t(Bytes_GetLE32(m_Data + m_Position + 4)) << 32;
    m_Position += 8;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool CStream::ReadBoolean()
{
    if (Remaining() < 4) return false;
    bool any = (m_Data[m_Position] | m_Data[m_Position + 1] | m_Data[m_Position + 2] | m_Data[m_Position + 3]) != 0;
    m_Position += 4;
    return any;
}

int64_t CStream::ReadStringInto(char** out)
{
    *out = nullptr;
    if (Remaining() < 1) return 0;
    // The length is read as a block read reads: fewer bytes when fewer remain.
    uint8_t bytes[4] = {0, 0, 0, 0};
    ReadBuffer(bytes, 4);
    int64_t length = static_cast<int32_t>(Bytes_GetLE32(bytes));
    if (length <= 0) return 0;
    // Only what is there can be read, so the block is sized by that, not by the stored length.
    int64_t available = std::min(length, Remaining());
    auto* text = static_cast<char*>(MEM_ALLOC(static_cast<size_t>(available) + 1, true));
    int64_t count = ReadBuffer(text, available);
    *out = text;
    return count;
}

char* CStream::ReadString()
{
    char* text;
    ReadStringInto(&text);
    return text;
}

void CStream::WriteInteger(int32_t value)
{
    uint8_t bytes[4];
    Bytes_PutLE32(bytes, static_cast<uint32_t>(value));
    WriteBuffer(bytes, 4);
}

void CStream::WriteReal(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    uint8_t bytes[8];
    Bytes_PutLE32(bytes, static_cast<uint32_t>(bits));
    Bytes_PutLE32(bytes + 4, static_cast<uint32_t>(bits >> 32));
    WriteBuffer(bytes, 8);
}

void CStream::WriteBoolean(int32_t value) { WriteInteger(value == 1 ? 1 : 0); }

void CStream::WriteString(const char* text)
{
    int32_t length = text != nullptr ? static_cast<int32_t>(std::strlen(text)) : 0;
    WriteInteger(length);
    WriteBuffer(text, length);
}

int64_t CStream::CopyFrom(CStream* source, int64_t count, bool share)
{
    if (source == nullptr || source == this) return 0;
    if (count == 0) {
        // The whole source, always as an owned copy, whatever the share flag says.
        Detach();
        source->m_Position = 0;
        int64_t written = WriteBuffer(source->m_Data, source->m_Size);
        source->m_Position = source->m_Size;
        return written;
    }
    int64_t amount = std::clamp<int64_t>(count, 0, source->Remaining());
    if (share) {
        // A view never reaches past the source's data.
        Adopt(nullptr, 0);
        if (amount > 0) {
            m_Data = source->m_Data + source->m_Position;
            m_Size = amount;
            m_Borrowed = 1;
        }
        m_Position = amount;
        source->m_Position += amount;
        return amount;
    }
    Detach();
    int64_t written = amount > 0 ? WriteBuffer(source->m_Data + source->m_Position, amount) : 0;
    source->m_Position += amount;
    return written;
}

CStream* CStream::ReadStream()
{
    int32_t length = ReadInteger();
    auto* block = new CStream(0);
    // An empty (or negative) length is an empty block, never a copy of the whole stream.
    if (length > 0) block->CopyFrom(this, length, false);
    block->m_Position = 0;
    return block;
}

void CStream::SaveToFile(const char* path)
{
    if (m_Data == nullptr || path == nullptr) return;
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return;
    int64_t written = std::clamp<int64_t>(m_Position, 0, m_Size);
    if (written > 0) std::fwrite(m_Data, 1, static_cast<size_t>(written), file);
    std::fclose(file);
}

void CStream::LoadFromFile(const char* name, int32_t skip)
{
    Adopt(nullptr, 0);
    int32_t length = 0;
    uint8_t* file = nullptr;
    if (LoadSave_FileExistsSaveArea(name)) {
        file = LoadSave_ReadSaveAreaFile(name, &length);
    } else if (LoadSave_FileExistsBundle(name)) {
        file = LoadSave_ReadBundleFile(name, &length);
    }
    if (file == nullptr) return;
    // A skip beyond the file leaves nothing, never a negative size.
    int64_t dropped = std::clamp<int64_t>(skip, 0, length);
    int64_t kept = length - dropped;
    uint8_t* data = NewBlock(kept);
    if (data != nullptr) std::memcpy(data, file + dropped, static_cast<size_t>(kept));
    MemoryManager::Free(file);
    Adopt(data, kept);
}

void CStream::ToHexString(char** out) const
{
    static const char DIGITS[] = "0123456789ABCDEF";
    *out = nullptr;
    int64_t count = std::clamp<int64_t>(m_Position, 0, m_Size);
    if (m_Position <= 0 || count == 0) return;
    auto* text = static_cast<char*>(MEM_ALLOC(static_cast<size_t>(count) * 2 + 1, true));
    for (int64_t i = 0; i < count; ++i) {
        text[2 * i] = DIGITS[m_Data[i] >> 4];
        text[2 * i + 1] = DIGITS[m_Data[i] & 0x0F];
    }
    *out = text;
}

void CStream::FromHexString(const char* text)
{
    if (text == nullptr || text[0] == '\0') return;
    size_t length = std::strlen(text);
    int64_t pairs = 0;
    for (size_t i = 0; i + 1 < length; i += 2) {
        if (IsHexDigit(text[i]) && IsHexDigit(text[i + 1])) ++pairs;
    }
    uint8_t* data = NewBlock(pairs);
    for (int64_t i = 0; i < pairs; ++i) {
        data[i] = static_cast<uint8_t>(HexValue(text[2 * i]) * 16 + HexValue(text[2 * i + 1]));
    }
    Adopt(data, pairs);
    m_Position = 0;
}

void CStream::WriteCompressed(CStream* source)
{
    if (source == nullptr) return;
    int64_t saved = source->m_Position;
    source->m_Position = 0;
    CStream packed(0);
    int32_t rc = Deflate(*source, packed, Z_DEFAULT_COMPRESSION);
    source->m_Position = saved;
    if (rc != 0) return;
    // Exactly the compressed bytes: the rest of the temporary block is not part of the data.
    int64_t length = packed.GetPosition();
    WriteInteger(static_cast<int32_t>(length));
    WriteBuffer(packed.GetBuffer(), length);
}

void CStream::BuildSubstitution(int32_t seed, uint8_t forward[256], uint8_t inverse[256])
{
    int32_t q = seed / 250;
    int32_t r = seed - 250 * q + 6;
    if (r < 0) r += 256;
    for (int i = 0; i < 256; ++i) {
        forward[i] = static_cast<uint8_t>(i);
        inverse[i] = static_cast<uint8_t>(i);
    }
    int64_t k = int64_t(q) + (q < 0 ? 256 : 0) + r;
    for (int step = 0; step < 10000; ++step) {
        // Seeds far below zero would index before the table; the remainder is kept in range.
        int64_t j = ((k % 254) + 254) % 254;
        std::swap(forward[j + 1], forward[j + 2]);
        k += r;
    }
    for (int i = 1; i < 256; ++i) inverse[forward[i]] = static_cast<uint8_t>(i);
}

void CStream::UnscrambleRange(int32_t seed, int64_t start, int64_t length)
{
    uint8_t forward[256];
    uint8_t inverse[256];
    BuildSubstitution(seed, forward, inverse);
    int64_t first = std::clamp<int64_t>(start, 0, m_Size);
    int64_t end = length < 1 ? m_Size : std::min(m_Size, first + length);
    for (int64_t i = first; i < end; ++i) m_Data[i] = inverse[m_Data[i]];
}

CStream* ZDecompressStream(CStream* stream)
{
    if (stream == nullptr) return nullptr;
    int32_t length = stream->ReadInteger();
    MainConsole->Output("ZDecompressStream %d\n", length);
    // An empty block holds no zlib stream; it is not read as the whole stream.
    if (length <= 0) return nullptr;
    CStream view(0);
    view.CopyFrom(stream, length, true);
    view.SetPosition(0);
    auto* result = new CStream(0);
    if (Inflate(view, *result) != 0) {
        delete result;
        return nullptr;
    }
    MainConsole->Output("Done ZDecompressStream\n");
    // The stream holds what was inflated, not the slack of its last growth.
    result->m_Size = result->m_Position;
    result->m_Position = 0;
    return result;
}

int32_t String_HashToNewline(char* text)
{
    if (text == nullptr) return 0;
    const char* in = text;
    char* out = text;
    int32_t count = 0;
    bool afterBackslash = false;
    while (*in != '\0') {
        auto lead = static_cast<uint8_t>(*in);
        if (lead == '#') {
            ++in;
            if (afterBackslash) {
                out[-1] = '#';
            } else {
                *out++ = 13;
                ++count;
            }
            afterBackslash = false;
            continue;
        }
        // A character is one, two or three bytes by its lead byte; a terminator inside ends it.
        int width = (lead & 0x80) == 0 ? 1 : (lead & 0x20) == 0 ? 2 : 3;
        for (int i = 0; i < width && *in != '\0'; ++i) *out++ = *in++;
        afterBackslash = lead == '\\';
        ++count;
    }
    *out = '\0';
    return count;
}
