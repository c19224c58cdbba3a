// AES-256 (FIPS-197) with table-driven rounds, and the padded CBC pieces of the stored files.
//
// Words are big-endian views of four state bytes, as in FIPS-197: the round tables combine
// SubBytes, ShiftRows and MixColumns into four lookups per column. The tables are computed at
// compile time from the field arithmetic rather than typed in, so a typo cannot hide in them;
// the FIPS-197 vectors in the tests check the whole.
//
// The 64-bit build runs the CBC loops on the processor's AES instructions when it has them
// (deciphering four blocks at a time, since CBC deciphering has no chain between blocks); they
// take the same key schedules, byte for byte, and give the same units. The 32-bit build keeps to
// the tables: its callers' stacks are not known to be aligned for 16-byte vectors.
#include "engine/storage/Aes.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#define TARNWICK_AES_INSTRUCTIONS 1
#endif

namespace {

// The one key of every package file, data file and settings resource. The fixture generator in
// tests/engine/storage reads these bytes from this very block, so keep its shape: one array,
// 32 hexadecimal bytes.
constexpr BYTE kStorageKey[32] = {
    0xD7, 0x1A, 0xE5, 0xD7, 0xCA, 0x95, 0xDE, 0xE3, 0x3A, 0x1B, 0x4D, 0xE9, 0x73, 0x9D, 0xD6, 0x64,
    0x24, 0x16, 0xB0, 0x8B, 0x91, 0xD3, 0xD2, 0x10, 0x21, 0xD3, 0xDC, 0x75, 0xE5, 0x25, 0x66, 0xB5,
};

// --- field arithmetic and tables -----------------------------------------------------------

constexpr uint8_t Times2(uint8_t x)
{
    return static_cast<uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1B : 0));
}

constexpr uint8_t Multiply(uint8_t a, uint8_t b)
{
    uint8_t product = 0;
    while (b) {
        if (b & 1)
            product ^= a;
        a = Times2(a);
        b >>= 1;
    }
    return product;
}

constexpr uint8_t Rotl8(uint8_t x, int n)
{
    return static_cast<uint8_t>((x << n) | (x >> (8 - n)));
}

constexpr std::array<uint8_t, 256> MakeSbox()
{
    std::array<uint8_t, 256> box{};
    for (int x = 0; x < 256; ++x) {
        // multiplicative inverse as x^254; 0 maps to 0
        uint8_t inverse = 1;
        for (int i = 0; i < 254; ++i)
            inverse = Multiply(inverse, static_cast<uint8_t>(x));
        if (x == 0)
            inverse = 0;
        box[x] = static_cast<uint8_t>(inverse ^ Rotl8(inverse, 1) ^ Rotl8(inverse, 2) ^ Rotl8(inverse, 3) ^
                                      Rotl8(inverse, 4) ^ 0x63);
    }
    return box;
}

constexpr std::array<uint8_t, 256> kSbox = MakeSbox();

constexpr std::array<uint8_t, 256> MakeInverseSbox()
{
    std::array<uint8_t, 256> box{};
    for (int x = 0; x < 256; ++x)
        box[kSbox[x]] = static_cast<uint8_t>(x);
    return box;
}

constexpr std::array<uint8_t, 256> kInverseSbox = MakeInverseSbox();

constexpr uint32_t Word(uint8_t a, uint8_t b, uint8_t c, uint8_t d)
{
    return (uint32_t(a) << 24) | (uint32_t(b) << 16) | (uint32_t(c) << 8) | uint32_t(d);
}

constexpr uint32_t Rotr(uint32_t x, int n)
{
    return n == 0 ? x : (x >> n) | (x << (32 - n));
}

using Table = std::array<uint32_t, 256>;

// Enciphering column for a byte in row 0; the rows 1 to 3 are the same word rotated.
constexpr Table MakeEncipherTable(int rotation)
{
    Table table{};
    for (int x = 0; x < 256; ++x) {
        const uint8_t s = kSbox[x];
        table[x] = Rotr(Word(Multiply(s, 2), s, s, Multiply(s, 3)), rotation);
    }
    return table;
}

constexpr Table MakeDecipherTable(int rotation)
{
    Table table{};
    for (int x = 0; x < 256; ++x) {
        const uint8_t s = kInverseSbox[x];
        table[x] = Rotr(Word(Multiply(s, 14), Multiply(s, 9), Multiply(s, 13), Multiply(s, 11)), rotation);
    }
    return table;
}

constexpr Table kTe0 = MakeEncipherTable(0), kTe1 = MakeEncipherTable(8), kTe2 = MakeEncipherTable(16),
                kTe3 = MakeEncipherTable(24);
constexpr Table kTd0 = MakeDecipherTable(0), kTd1 = MakeDecipherTable(8), kTd2 = MakeDecipherTable(16),
                kTd3 = MakeDecipherTable(24);

static_assert(kSbox[0x00] == 0x63 && kSbox[0x53] == 0xED && kSbox[0xFF] == 0x16, "S-box of FIPS-197 figure 7");

inline uint32_t Load32(const BYTE* p)
{
    return Word(p[0], p[1], p[2], p[3]);
}

inline void Store32(BYTE* p, uint32_t v)
{
    p[0] = static_cast<BYTE>(v >> 24);
    p[1] = static_cast<BYTE>(v >> 16);
    p[2] = static_cast<BYTE>(v >> 8);
    p[3] = static_cast<BYTE>(v);
}

inline uint8_t B(uint32_t v, int shift)
{
    return static_cast<uint8_t>(v >> shift);
}

uint32_t SubWord(uint32_t w)
{
    return Word(kSbox[B(w, 24)], kSbox[B(w, 16)], kSbox[B(w, 8)], kSbox[B(w, 0)]);
}

inline void XorBlock(BYTE* target, const BYTE* other)
{
    for (int i = 0; i < kAesBlockBytes; ++i)
        target[i] ^= other[i];
}

} // namespace

// --- block cipher ---------------------------------------------------------------------------

void AesExpandKey(const BYTE key[32], uint32_t schedule[kAesScheduleWords])
{
    constexpr int kKeyWords = 8;
    for (int i = 0; i < kKeyWords; ++i)
        schedule[i] = Load32(key + 4 * i);
    uint8_t roundConstant = 1;
    for (int i = kKeyWords; i < kAesScheduleWords; ++i) {
        uint32_t temp = schedule[i - 1];
        if (i % kKeyWords == 0) {
            temp = SubWord((temp << 8) | (temp >> 24)) ^ (uint32_t(roundConstant) << 24);
            roundConstant = Times2(roundConstant);
        } else if (i % kKeyWords == 4) {
            temp = SubWord(temp);
        }
        schedule[i] = schedule[i - kKeyWords] ^ temp;
    }
}

void AesInvertKeySchedule(uint32_t schedule[kAesScheduleWords])
{
    // reverse the order of the round keys
    for (int low = 0, high = 4 * kAesRounds; low < high; low += 4, high -= 4)
        for (int k = 0; k < 4; ++k) {
            const uint32_t t = schedule[low + k];
            schedule[low + k] = schedule[high + k];
            schedule[high + k] = t;
        }
    // InvMixColumns on every round key but the first and the last (FIPS-197 5.3.5); the
    // deciphering tables apply it to S-box outputs, so undo the S-box with a forward lookup.
    for (int i = 4; i < 4 * kAesRounds; ++i) {
        const uint32_t w = schedule[i];
        schedule[i] = kTd0[kSbox[B(w, 24)]] ^ kTd1[kSbox[B(w, 16)]] ^ kTd2[kSbox[B(w, 8)]] ^ kTd3[kSbox[B(w, 0)]];
    }
}

namespace {

// The rounds both directions share. Column c of each round gathers its four bytes from columns c,
// c + step, c + 2 and c + 3 * step: enciphering shifts the rows left (step 1), deciphering shifts
// them right (step 3). The last round has no column mixing and looks bytes up in the plain box.
template <int step>
void CipherBlock(const uint32_t rk[kAesScheduleWords], const Table& t0, const Table& t1, const Table& t2,
                 const Table& t3, const std::array<uint8_t, 256>& lastBox, const BYTE source[16],
                 BYTE destination[16])
{
    const auto column = [](int c, int distance) { return (c + distance) & 3; };
    uint32_t s[4];
    for (int c = 0; c < 4; ++c)
        s[c] = Load32(source + 4 * c) ^ rk[c];
    for (int round = 1; round < kAesRounds; ++round) {
        const uint32_t* k = rk + 4 * round;
        uint32_t t[4];
#pragma GCC unroll 4
        for (int c = 0; c < 4; ++c) {
            t[c] = t0[B(s[c], 24)] ^ t1[B(s[column(c, step)], 16)] ^ t2[B(s[column(c, 2)], 8)] ^
                   t3[B(s[column(c, 3 * step)], 0)] ^ k[c];
        }
        std::copy(t, t + 4, s);
    }
    const uint32_t* k = rk + 4 * kAesRounds;
    for (int c = 0; c < 4; ++c) {
        const uint32_t word = Word(lastBox[B(s[c], 24)], lastBox[B(s[column(c, step)], 16)],
                                   lastBox[B(s[column(c, 2)], 8)], lastBox[B(s[column(c, 3 * step)], 0)]);
        Store32(destination + 4 * c, word ^ k[c]);
    }
}

} // namespace

void AesEncryptBlock(const uint32_t rk[kAesScheduleWords], const BYTE source[16], BYTE destination[16])
{
    CipherBlock<1>(rk, kTe0, kTe1, kTe2, kTe3, kSbox, source, destination);
}

void AesDecryptBlock(const uint32_t rk[kAesScheduleWords], const BYTE source[16], BYTE destination[16])
{
    CipherBlock<3>(rk, kTd0, kTd1, kTd2, kTd3, kInverseSbox, source, destination);
}

// --- padded CBC pieces ----------------------------------------------------------------------

int AesInitContext(AesContext* context, uint32_t direction)
{
    if (direction != kAesEncipher && direction != kAesDecipher)
        return kAesBadDirection;
    context->state = 1;
    context->mode = 1;
    context->direction = direction;
    std::memset(context->iv, 0, sizeof(context->iv));
    context->rounds = kAesRounds;
    AesExpandKey(kStorageKey, context->schedule);
    if (direction == kAesDecipher)
        AesInvertKeySchedule(context->schedule);
    context->state = 0;
    return 0;
}

namespace {

bool g_useInstructions = true;

#ifdef TARNWICK_AES_INSTRUCTIONS

bool HasAesInstructions()
{
    static const bool has = [] {
        unsigned a = 0, b = 0, c = 0, d = 0;
        return __get_cpuid(1, &a, &b, &c, &d) && (c & bit_AES) && (d & bit_SSE2);
    }();
    return has;
}

__attribute__((target("aes,sse2"))) void LoadRoundKeys(const uint32_t* schedule, __m128i keys[kAesRounds + 1])
{
    for (int round = 0; round <= kAesRounds; ++round) {
        BYTE bytes[16];
        for (int k = 0; k < 4; ++k)
            Store32(bytes + 4 * k, schedule[4 * round + k]);
        keys[round] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    }
}

__attribute__((target("aes,sse2"))) void EncipherCbcNative(const uint32_t* schedule, BYTE chain[16],
                                                             const BYTE* source, int blocks, BYTE* destination)
{
    __m128i keys[kAesRounds + 1];
    LoadRoundKeys(schedule, keys);
    __m128i state = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chain));
    for (int i = 0; i < blocks; ++i) {
        state = _mm_xor_si128(state, _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 16 * i)));
        state = _mm_xor_si128(state, keys[0]);
        for (int round = 1; round < kAesRounds; ++round)
            state = _mm_aesenc_si128(state, keys[round]);
        state = _mm_aesenclast_si128(state, keys[kAesRounds]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + 16 * i), state);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(chain), state);
}

__attribute__((target("aes,sse2"))) void DecipherCbcNative(const uint32_t* schedule, const BYTE* source, int blocks,
                                                             BYTE* destination)
{
    __m128i keys[kAesRounds + 1];
    LoadRoundKeys(schedule, keys);
    const auto load = [source](int i) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 16 * i)); };
    __m128i previous = _mm_setzero_si128();
    int i = 0;
    for (; i + 4 <= blocks; i += 4) {
        const __m128i c0 = load(i), c1 = load(i + 1), c2 = load(i + 2), c3 = load(i + 3);
        __m128i s0 = _mm_xor_si128(c0, keys[0]), s1 = _mm_xor_si128(c1, keys[0]);
        __m128i s2 = _mm_xor_si128(c2, keys[0]), s3 = _mm_xor_si128(c3, keys[0]);
        for (int round = 1; round < kAesRounds; ++round) {
            s0 = _mm_aesdec_si128(s0, keys[round]);
            s1 = _mm_aesdec_si128(s1, keys[round]);
            s2 = _mm_aesdec_si128(s2, keys[round]);
            s3 = _mm_aesdec_si128(s3, keys[round]);
        }
        s0 = _mm_xor_si128(_mm_aesdeclast_si128(s0, keys[kAesRounds]), previous);
        s1 = _mm_xor_si128(_mm_aesdeclast_si128(s1, keys[kAesRounds]), c0);
        s2 = _mm_xor_si128(_mm_aesdeclast_si128(s2, keys[kAesRounds]), c1);
        s3 = _mm_xor_si128(_mm_aesdeclast_si128(s3, keys[kAesRounds]), c2);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + 16 * i), s0);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + 16 * (i + 1)), s1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + 16 * (i + 2)), s2);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + 16 * (i + 3)), s3);
        previous = c3;
    }
    for (; i < blocks; ++i) {
        const __m128i cipher = load(i);
        __m128i state = _mm_xor_si128(cipher, keys[0]);
        for (int round = 1; round < kAesRounds; ++round)
            state = _mm_aesdec_si128(state, keys[round]);
        state = _mm_xor_si128(_mm_aesdeclast_si128(state, keys[kAesRounds]), previous);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + 16 * i), state);
        previous = cipher;
    }
}

#endif

#ifdef TARNWICK_AES_INSTRUCTIONS
bool UseInstructions()
{
    return g_useInstructions && HasAesInstructions();
}
#endif

// CBC over whole blocks, continuing from chain (updated to the last cipher block).
void EncipherCbc(const uint32_t* schedule, BYTE chain[16], const BYTE* source, int blocks, BYTE* destination)
{
#ifdef TARNWICK_AES_INSTRUCTIONS
    if (UseInstructions()) {
        EncipherCbcNative(schedule, chain, source, blocks, destination);
        return;
    }
#endif
    for (int i = 0; i < blocks; ++i) {
        BYTE block[kAesBlockBytes];
        std::memcpy(block, source + i * kAesBlockBytes, kAesBlockBytes);
        XorBlock(block, chain);
        AesEncryptBlock(schedule, block, destination + i * kAesBlockBytes);
        std::memcpy(chain, destination + i * kAesBlockBytes, kAesBlockBytes);
    }
}

// CBC deciphering of whole blocks from the zero IV; destination receives blocks * 16 bytes.
void DecipherCbc(const uint32_t* schedule, const BYTE* source, int blocks, BYTE* destination)
{
#ifdef TARNWICK_AES_INSTRUCTIONS
    if (UseInstructions()) {
        DecipherCbcNative(schedule, source, blocks, destination);
        return;
    }
#endif
    BYTE chain[kAesBlockBytes] = {};
    for (int i = 0; i < blocks; ++i) {
        const BYTE* cipher = source + i * kAesBlockBytes;
        BYTE* plain = destination + i * kAesBlockBytes;
        AesDecryptBlock(schedule, cipher, plain);
        XorBlock(plain, chain);
        std::memcpy(chain, cipher, kAesBlockBytes);
    }
}

} // namespace

bool AesUseProcessorInstructions(bool use)
{
    const bool previous = g_useInstructions;
    g_useInstructions = use;
    return previous;
}

int AesEncryptPadded(const AesContext* context, const BYTE* source, int length, BYTE* destination)
{
    if (!source || length <= 0)
        return 0;
    if (!context || context->state != 0 || context->direction != kAesEncipher)
        return kAesNotReady;
    const int fullBlocks = length / kAesBlockBytes;
    const int rest = length % kAesBlockBytes;
    BYTE chain[kAesBlockBytes];
    std::memcpy(chain, context->iv, sizeof(chain)); // the context's IV stays zero for the next piece
    EncipherCbc(context->schedule, chain, source, fullBlocks, destination);
    BYTE last[kAesBlockBytes];
    const BYTE pad = static_cast<BYTE>(kAesBlockBytes - rest);
    std::memcpy(last, source + fullBlocks * kAesBlockBytes, static_cast<size_t>(rest));
    std::memset(last + rest, pad, pad);
    EncipherCbc(context->schedule, chain, last, 1, destination + fullBlocks * kAesBlockBytes);
    return (fullBlocks + 1) * kAesBlockBytes;
}

int AesDecryptPadded(const BYTE* source, BYTE* destination, const AesContext* context, int length)
{
    if (!source || length <= 0)
        return 0;
    if (!context || context->state != 0)
        return kAesNotReady;
    if (context->direction != kAesDecipher)
        return kAesWrongDirection;
    if (length % kAesBlockBytes != 0)
        return kAesBadUnit;
    const int blocks = length / kAesBlockBytes;
    // every block but the last straight into the destination; the last one aside, so that its
    // padding never lands in the caller's buffer
    DecipherCbc(context->schedule, source, blocks - 1, destination);
    BYTE last[kAesBlockBytes];
    DecipherCbc(context->schedule, source + (blocks - 1) * kAesBlockBytes, 1, last);
    if (blocks > 1)
        XorBlock(last, source + (blocks - 2) * kAesBlockBytes);
    const BYTE pad = last[kAesBlockBytes - 1];
    if (pad < 1 || pad > kAesBlockBytes)
        return kAesBadUnit;
    for (int i = kAesBlockBytes - pad; i < kAesBlockBytes; ++i)
        if (last[i] != pad)
            return kAesBadUnit;
    std::memcpy(destination + (blocks - 1) * kAesBlockBytes, last, static_cast<size_t>(kAesBlockBytes - pad));
    return length - pad;
}

int EncryptWriteBuffer(const BYTE* source, int length, BYTE* destination, void* context)
{
    return AesEncryptPadded(static_cast<const AesContext*>(context), source, length, destination);
}

int DecryptReadBuffer(const BYTE* source, int length, BYTE* destination, void* context)
{
    return AesDecryptPadded(source, destination, static_cast<const AesContext*>(context), length);
}
