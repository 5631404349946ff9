// PLACEHOLDER until the support area's digests land: RFC 1321 MD5 and RFC 3174 SHA-1.
#include "buffer/Buffer_Placeholders.h"

#include <cstring>

namespace {

uint32_t RotateLeft(uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

uint32_t LoadLittle(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint32_t LoadBig(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

// The per-step shifts and sine constants of MD5's four rounds.
const int MD5_SHIFTS[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                            5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                            4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                            6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

const uint32_t MD5_SINES[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

void Md5Transform(uint32_t state[4], const uint8_t block[64])
{
    uint32_t words[16];
    for (int i = 0; i < 16; ++i)
        words[i] = LoadLittle(block + 4 * i);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; ++i) {
        uint32_t f;
        int g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        uint32_t next = d;
        d = c;
        c = b;
        b = b + RotateLeft(a + f + MD5_SINES[i] + words[g], MD5_SHIFTS[i]);
        a = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

void Sha1ProcessBlock(SHA1Context* c)
{
    uint32_t w[80];
    for (int t = 0; t < 16; ++t)
        w[t] = LoadBig(c->block + 4 * t);
    for (int t = 16; t < 80; ++t)
        w[t] = RotateLeft(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
    uint32_t a = c->hash[0], b = c->hash[1], d3 = c->hash[2], d = c->hash[3], e = c->hash[4];
    for (int t = 0; t < 80; ++t) {
        uint32_t f, k;
        if (t < 20) {
            f = (b & d3) | (~b & d);
            k = 0x5A827999;
        } else if (t < 40) {
            f = b ^ d3 ^ d;
            k = 0x6ED9EBA1;
        } else if (t < 60) {
            f = (b & d3) | (b & d) | (d3 & d);
            k = 0x8F1BBCDC;
        } else {
            f = b ^ d3 ^ d;
            k = 0xCA62C1D6;
        }
        uint32_t temp = RotateLeft(a, 5) + f + e + w[t] + k;
        e = d;
        d = d3;
        d3 = RotateLeft(b, 30);
        b = a;
        a = temp;
    }
    c->hash[0] += a;
    c->hash[1] += b;
    c->hash[2] += d3;
    c->hash[3] += d;
    c->hash[4] += e;
    c->index = 0;
}

} // namespace

void MD5_Init(MD5Context* context)
{
    std::memset(context, 0, sizeof *context);
    context->state[0] = 0x67452301;
    context->state[1] = 0xEFCDAB89;
    context->state[2] = 0x98BADCFE;
    context->state[3] = 0x10325476;
}

void MD5_Update(MD5Context* context, const uint8_t* bytes, uint32_t length)
{
    uint32_t used = (context->count[0] >> 3) & 63;
    uint32_t bitsLow = context->count[0] + (length << 3);
    if (bitsLow < context->count[0]) ++context->count[1];
    context->count[0] = bitsLow;
    context->count[1] += length >> 29;
    while (length > 0) {
        uint32_t piece = 64 - used < length ? 64 - used : length;
        std::memcpy(context->block + used, bytes, piece);
        used += piece;
        bytes += piece;
        length -= piece;
        if (used == 64) {
            Md5Transform(context->state, context->block);
            used = 0;
        }
    }
}

void MD5_Final(MD5Context* context)
{
    uint8_t bits[8];
    for (int i = 0; i < 8; ++i)
        bits[i] = uint8_t(context->count[i / 4] >> (8 * (i % 4)));
    uint32_t used = (context->count[0] >> 3) & 63;
    static const uint8_t padding[64] = {0x80};
    MD5_Update(context, padding, used < 56 ? 56 - used : 120 - used);
    MD5_Update(context, bits, 8);
    for (int i = 0; i < 16; ++i)
        context->digest[i] = uint8_t(context->state[i / 4] >> (8 * (i % 4)));
}

void SHA1_Reset(SHA1Context* context)
{
    std::memset(context, 0, sizeof *context);
    context->hash[0] = 0x67452301;
    context->hash[1] = 0xEFCDAB89;
    context->hash[2] = 0x98BADCFE;
    context->hash[3] = 0x10325476;
    context->hash[4] = 0xC3D2E1F0;
}

void SHA1_Input(SHA1Context* context, const uint8_t* bytes, uint32_t length)
{
    if (length == 0) return;
    if (context->computed || context->corrupted) {
        context->corrupted = 1;
        return;
    }
    for (uint32_t i = 0; i < length && !context->corrupted; ++i) {
        context->block[context->index++] = bytes[i];
        context->lengthLow += 8;
        if (context->lengthLow == 0 && ++context->lengthHigh == 0) context->corrupted = 1;
        if (context->index == 64) Sha1ProcessBlock(context);
    }
}

int32_t SHA1_Result(SHA1Context* context)
{
    if (context->corrupted) return 0;
    if (!context->computed) {
        context->block[context->index++] = 0x80;
        if (context->index > 56) {
            while (context->index < 64)
                context->block[context->index++] = 0;
            Sha1ProcessBlock(context);
        }
        while (context->index < 56)
            context->block[context->index++] = 0;
        uint32_t words[2] = {context->lengthHigh, context->lengthLow};
        for (int i = 0; i < 8; ++i)
            context->block[56 + i] = uint8_t(words[i / 4] >> (24 - 8 * (i % 4)));
        Sha1ProcessBlock(context);
        context->computed = 1;
    }
    return 1;
}
