// PLACEHOLDER until the support area's digests land: MD5 and SHA-1 under the names and contexts the
// buffers call. They compute the real digests; the support area's own versions replace them.
#pragma once

#include <cstdint>

struct MD5Context {
    uint32_t count[2]; // bits added, low word first
    uint32_t state[4];
    uint8_t block[64];
    uint8_t digest[16];
};

void MD5_Init(MD5Context* context);
void MD5_Update(MD5Context* context, const uint8_t* bytes, uint32_t length);
// Pads, runs the last block and stores the digest (state words little-endian).
void MD5_Final(MD5Context* context);

struct SHA1Context {
    uint32_t hash[5];
    uint32_t lengthLow; // message length in bits
    uint32_t lengthHigh;
    int32_t index; // into the message block
    uint8_t block[64];
    int32_t computed;
    int32_t corrupted;
};

void SHA1_Reset(SHA1Context* context);
void SHA1_Input(SHA1Context* context, const uint8_t* bytes, uint32_t length);
// 1 with the digest in hash[], 0 when the context is corrupted.
int32_t SHA1_Result(SHA1Context* context);
