#include "support/Support_Hash.h"

#include <cmath>
#include <cstring>

namespace {

// ---- MD5 ----------------------------------------------------------------------------------------

uint32_t Rotate(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

constexpr int MD5_SHIFT[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

uint32_t Md5Sine(int i) { return static_cast<uint32_t>(std::floor(std::fabs(std::sin(i + 1.0)) * 4294967296.0)); }

void Md5Transform(uint32_t state[4], const uint8_t block[64])
{
    struct SineTable {
        uint32_t k[64];
        SineTable()
        {
            for (int i = 0; i < 64; ++i) k[i] = Md5Sine(i);
        }
    };
    static const SineTable sines;
    const uint32_t* table = sines.k;
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = uint32_t(block[i * 4]) | uint32_t(block[i * 4 + 1]) << 8 | uint32_t(block[i * 4 + 2]) << 16 |
               uint32_t(block[i * 4 + 3]) << 24;
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; ++i) {
        int round = i / 16;
        uint32_t f;
        int g;
        if (round == 0) f = (b & c) | (~b & d), g = i;
        else if (round == 1) f = (b & d) | (c & ~d), g = (5 * i + 1) % 16;
        else if (round == 2) f = b ^ c ^ d, g = (3 * i + 5) % 16;
        else f = c ^ (b | ~d), g = (7 * i) % 16;
        uint32_t next = d;
        d = c;
        c = b;
        b = b + Rotate(a + f + table[i] + x[g], MD5_SHIFT[round][i % 4]);
        a = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

// ---- SHA-1 --------------------------------------------------------------------------------------

void Sha1ProcessBlock(SHA1Context* context)
{
    constexpr uint32_t K[4] = {0x5A827999, 0x6ED9EBA1, 0x8F1BBCDC, 0xCA62C1D6};
    uint32_t w[80];
    for (int t = 0; t < 16; ++t)
        w[t] = uint32_t(context->block[t * 4]) << 24 | uint32_t(context->block[t * 4 + 1]) << 16 |
               uint32_t(context->block[t * 4 + 2]) << 8 | uint32_t(context->block[t * 4 + 3]);
    for (int t = 16; t < 80; ++t) w[t] = Rotate(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
    uint32_t a = context->intermediate[0], b = context->intermediate[1], c = context->intermediate[2],
             d = context->intermediate[3], e = context->intermediate[4];
    for (int t = 0; t < 80; ++t) {
        uint32_t f = t < 20 ? (b & c) | (~b & d) : t < 40 ? b ^ c ^ d : t < 60 ? (b & c) | (b & d) | (c & d) : b ^ c ^ d;
        uint32_t temp = Rotate(a, 5) + f + e + w[t] + K[t / 20];
        e = d;
        d = c;
        c = Rotate(b, 30);
        b = a;
        a = temp;
    }
    context->intermediate[0] += a;
    context->intermediate[1] += b;
    context->intermediate[2] += c;
    context->intermediate[3] += d;
    context->intermediate[4] += e;
    context->blockIndex = 0;
}

void Sha1Pad(SHA1Context* context)
{
    context->block[context->blockIndex++] = 0x80;
    if (context->blockIndex > 56) {
        while (context->blockIndex < 64) context->block[context->blockIndex++] = 0;
        Sha1ProcessBlock(context);
    }
    while (context->blockIndex < 56) context->block[context->blockIndex++] = 0;
    for (int i = 0; i < 4; ++i) {
        context->block[56 + i] = static_cast<uint8_t>(context->lengthHigh >> (24 - 8 * i));
        context->block[60 + i] = static_cast<uint8_t>(context->lengthLow >> (24 - 8 * i));
    }
    Sha1ProcessBlock(context);
}

const char HEX[] = "0123456789abcdef";

uint8_t ClampByte(float value)
{
    int32_t whole = static_cast<int32_t>(value);
    return static_cast<uint8_t>(whole < 0 ? 0 : whole > 255 ? 255 : whole);
}

int32_t Channel(int32_t colour, int shift) { return (colour >> shift) & 0xFF; }

} // namespace

void MD5_Init(MD5Context* context)
{
    std::memset(context, 0, sizeof *context);
    context->state[0] = 0x67452301;
    context->state[1] = 0xEFCDAB89;
    context->state[2] = 0x98BADCFE;
    context->state[3] = 0x10325476;
}

void MD5_Update(MD5Context* context, const uint8_t* bytes, size_t length)
{
    size_t index = (context->count[0] >> 3) & 0x3F;
    uint64_t bits = (uint64_t(context->count[1]) << 32 | context->count[0]) + uint64_t(length) * 8;
    context->count[0] = static_cast<uint32_t>(bits);
    context->count[1] = static_cast<uint32_t>(bits >> 32);
    for (size_t i = 0; i < length; ++i) {
        context->buffer[index++] = bytes[i];
        if (index == 64) {
            Md5Transform(context->state, context->buffer);
            index = 0;
        }
    }
}

void MD5_Final(MD5Context* context)
{
    uint8_t bits[8];
    for (int i = 0; i < 8; ++i) bits[i] = static_cast<uint8_t>(context->count[i / 4] >> (8 * (i % 4)));
    size_t index = (context->count[0] >> 3) & 0x3F;
    size_t padding = index < 56 ? 56 - index : 120 - index;
    uint8_t pad[64] = {0x80};
    MD5_Update(context, pad, padding);
    MD5_Update(context, bits, 8);
    for (int i = 0; i < 16; ++i) context->digest[i] = static_cast<uint8_t>(context->state[i / 4] >> (8 * (i % 4)));
}

void SHA1_Reset(SHA1Context* context)
{
    std::memset(context, 0, sizeof *context);
    context->intermediate[0] = 0x67452301;
    context->intermediate[1] = 0xEFCDAB89;
    context->intermediate[2] = 0x98BADCFE;
    context->intermediate[3] = 0x10325476;
    context->intermediate[4] = 0xC3D2E1F0;
}

void SHA1_Input(SHA1Context* context, const uint8_t* bytes, size_t length)
{
    if (length == 0) return;
    if (context->computed || context->corrupted) {
        context->corrupted = 1;
        return;
    }
    for (size_t i = 0; i < length && !context->corrupted; ++i) {
        context->block[context->blockIndex++] = bytes[i];
        context->lengthLow += 8;
        if (context->lengthLow == 0 && ++context->lengthHigh == 0) context->corrupted = 1;
        if (context->blockIndex == 64) Sha1ProcessBlock(context);
    }
}

int32_t SHA1_Result(SHA1Context* context)
{
    if (context->corrupted) return 0;
    if (!context->computed) {
        Sha1Pad(context);
        context->computed = 1;
    }
    return 1;
}

std::string MD5_Hex(const MD5Context& context)
{
    std::string text;
    for (uint8_t byte : context.digest) {
        text += HEX[byte >> 4];
        text += HEX[byte & 15];
    }
    return text;
}

std::string SHA1_Hex(const SHA1Context& context)
{
    std::string text;
    for (uint32_t word : context.intermediate)
        for (int shift = 28; shift >= 0; shift -= 4) text += HEX[(word >> shift) & 15];
    return text;
}

int32_t FilePos_ToInt(int64_t position)
{
    return static_cast<int32_t>(static_cast<uint32_t>(position));
}

void Colour_MakeRGBTriple(uint8_t triple[3], uint8_t red, uint8_t green, uint8_t blue)
{
    triple[0] = blue;
    triple[1] = green;
    triple[2] = red;
}

void Colour_MakeHSVTriple(uint8_t triple[3], uint8_t hue, uint8_t saturation, uint8_t value)
{
    triple[0] = hue;
    triple[1] = saturation;
    triple[2] = value;
}

int32_t Colour_TripleToInt(const uint8_t triple[3])
{
    return (int32_t(triple[0]) << 16) + (int32_t(triple[1]) << 8) + triple[2];
}

void Colour_ToHSV(int32_t colour, uint8_t hsv[3])
{
    float r = Channel(colour, 0) / 255.0f, g = Channel(colour, 8) / 255.0f, b = Channel(colour, 16) / 255.0f;
    float max = std::fmax(r, std::fmax(g, b)), min = std::fmin(r, std::fmin(g, b));
    float v = max, s = 0.0f, h = 0.0f;
    if (v != 0.0f) {
        float delta = v - min;
        s = delta / v;
        if (s != 0.0f) {
            if (r == v) h = (g - b) * 60.0f / delta;
            else if (g == v) h = (b - r) * 60.0f / delta + 120.0f;
            else h = (r - g) * 60.0f / delta + 240.0f;
            if (h < 0.0f) h += 360.0f;
        }
    }
    hsv[0] = ClampByte(h * 255.0f / 360.0f + 0.5f);
    hsv[1] = ClampByte(s * 255.0f + 0.5f);
    hsv[2] = ClampByte(v * 255.0f + 0.5f);
}

int32_t Colour_FromHSV(const uint8_t hsv[3])
{
    float h = hsv[0] * 360.0f / 255.0f;
    if (h >= 360.0f) h = 0.0f;
    float s = hsv[1] / 255.0f, v = hsv[2] / 255.0f;
    float red = v, green = v, blue = v;
    if (s != 0.0f) {
        int sector = static_cast<int>(h / 60.0f);
        float f = h / 60.0f - sector;
        float p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
        const float table[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
        const float* row = table[sector >= 0 && sector < 5 ? sector : 5];
        red = row[0], green = row[1], blue = row[2];
    }
    return ClampByte(red * 255.0f + 0.5f) + ClampByte(green * 255.0f + 0.5f) * 256 +
           ClampByte(blue * 255.0f + 0.5f) * 65536;
}

int32_t Colour_Merge(int32_t colour1, int32_t colour2, float amount)
{
    float keep = static_cast<float>(1.0 - static_cast<double>(amount));
    int32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        float mixed = Channel(colour1, shift) * keep + Channel(colour2, shift) * amount;
        int64_t rounded = std::fabs(mixed) < 9.0e18f ? static_cast<int64_t>(std::nearbyint(mixed)) : 0;
        result |= static_cast<int32_t>(rounded & 0xFF) << shift;
    }
    return result;
}
