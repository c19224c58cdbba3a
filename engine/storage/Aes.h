#pragma once
// AES-256 in CBC mode with a zero IV for every piece, as the stored files use it: each piece of
// 1 to 4095 plain bytes becomes one independently enciphered unit, padded to the next multiple of
// 16 with 1 to 16 bytes that each hold the padding length.
//
// The key is one fixed 32-byte key compiled into the program (Aes.cpp). It keeps the files opaque
// to casual readers; it is not a secret and gives no protection against a determined one.

#include "framework/Base.h"

#include <cstdint>

// Results of the padded operations besides lengths.
constexpr int kAesBadDirection = -2;   // AesInitContext: direction other than 0 and 1
constexpr int kAesNotReady = -5;       // context not set up (or, enciphering, set up to decipher)
constexpr int kAesWrongDirection = -6; // deciphering with a context set up to encipher
constexpr int kAesBadUnit = -7;        // length not a multiple of 16, or the padding is wrong

constexpr int kAesBlockBytes = 16;
constexpr int kAesRounds = 14;
constexpr int kAesScheduleWords = 4 * (kAesRounds + 1);

enum AesDirection : uint32_t { kAesEncipher = 0, kAesDecipher = 1 };

// One cipher context per open file, on the opener's stack.
struct AesContext {
    uint32_t state = 1;       // 1 while being set up, 0 when ready
    uint32_t mode = 1;        // 1: CBC, the only mode
    uint32_t direction = 0;   // AesDirection
    uint32_t iv[4] = {};      // always zero; never changed by the padded operations
    uint32_t rounds = kAesRounds;
    uint32_t schedule[kAesScheduleWords] = {}; // for deciphering the equivalent inverse schedule
};

// The FIPS-197 key expansion of a 32-byte key into 60 words (big-endian words of the key bytes).
void AesExpandKey(const BYTE key[32], uint32_t schedule[kAesScheduleWords]);
// Turns an enciphering schedule into that of the equivalent inverse cipher, in place.
void AesInvertKeySchedule(uint32_t schedule[kAesScheduleWords]);
// One 16-byte block each way; source and destination may be the same block.
void AesEncryptBlock(const uint32_t schedule[kAesScheduleWords], const BYTE source[16], BYTE destination[16]);
void AesDecryptBlock(const uint32_t schedule[kAesScheduleWords], const BYTE source[16], BYTE destination[16]);

// Sets the context up with the stored key for the direction; 0, or kAesBadDirection.
[[nodiscard]] int AesInitContext(AesContext* context, uint32_t direction);

// Enciphers length bytes with padding into destination (room for length rounded down to 16,
// plus 16). Returns that enciphered length; 0 for a null source or a length below 1;
// kAesNotReady for a context that is not ready to encipher.
[[nodiscard]] int AesEncryptPadded(const AesContext* context, const BYTE* source, int length, BYTE* destination);

// Deciphers one unit into destination (room for length - 1 bytes). Returns the plain length;
// 0 for a null source or a length below 1; kAesNotReady, kAesWrongDirection, or kAesBadUnit for
// a length that is not a multiple of 16 or wrong padding (destination then holds garbage).
[[nodiscard]] int AesDecryptPadded(const BYTE* source, BYTE* destination, const AesContext* context, int length);

// Lets the padded operations use the processor's AES instructions where the build and the
// processor have them (the default), or keeps them to the portable tables; returns the previous
// setting. The two give the same bytes: tests compare them.
bool AesUseProcessorInstructions(bool use);

// The two filters of the enciphered file layer (CFileEx); context is an AesContext.
[[nodiscard]] int EncryptWriteBuffer(const BYTE* source, int length, BYTE* destination, void* context);
[[nodiscard]] int DecryptReadBuffer(const BYTE* source, int length, BYTE* destination, void* context);
