// MD5 (RFC 1321) and SHA-1 (RFC 3174) digests, and the colour conversions between the colour
// integer (red in the low byte), RGB triples and HSV triples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct MD5Context {
    uint32_t count[2]; // bit count, low word first
    uint32_t state[4];
    uint8_t buffer[64];
    uint8_t digest[16];
};
void MD5_Init(MD5Context* context);
void MD5_Update(MD5Context* context, const uint8_t* bytes, size_t length);
void MD5_Final(MD5Context* context);

struct SHA1Context {
    uint32_t intermediate[5];
    uint32_t lengthLow;
    uint32_t lengthHigh;
    int32_t blockIndex;
    uint8_t block[64];
    uint8_t computed;
    uint8_t corrupted;
};
void SHA1_Reset(SHA1Context* context);
void SHA1_Input(SHA1Context* context, const uint8_t* bytes, size_t length);
// 1 with the digest in `intermediate`; 0 when the context is corrupted.
int32_t SHA1_Result(SHA1Context* context);

// The digests as lower-case hexadecimal: MD5 32 digits, SHA-1 40.
std::string MD5_Hex(const MD5Context& context);
std::string SHA1_Hex(const SHA1Context& context);

// The low 32 bits of a 64-bit file position.
int32_t FilePos_ToInt(int64_t position);

// An RGB triple holds blue, green, red; an HSV triple hue, saturation, value (each 0..255, hue 255
// a full turn).
void Colour_MakeRGBTriple(uint8_t triple[3], uint8_t red, uint8_t green, uint8_t blue);
void Colour_MakeHSVTriple(uint8_t triple[3], uint8_t hue, uint8_t saturation, uint8_t value);
int32_t Colour_TripleToInt(const uint8_t triple[3]);
void Colour_ToHSV(int32_t colour, uint8_t hsv[3]);
int32_t Colour_FromHSV(const uint8_t hsv[3]);
// Each channel c1 * (1 - amount) + c2 * amount, rounded half to even, low 8 bits kept.
int32_t Colour_Merge(int32_t colour1, int32_t colour2, float amount);
