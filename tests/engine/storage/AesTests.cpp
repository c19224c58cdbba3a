#include "engine/storage/Aes.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes FromHex(const char* hex)
{
    Bytes bytes;
    for (; hex[0] && hex[1]; hex += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(std::string(hex, 2), nullptr, 16)));
    return bytes;
}

AesContext Context(uint32_t direction)
{
    AesContext context;
    EXPECT_EQ(0, AesInitContext(&context, direction));
    return context;
}

Bytes Pattern(size_t length)
{
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    return bytes;
}

Bytes Encipher(const Bytes& plain)
{
    const AesContext context = Context(kAesEncipher);
    Bytes unit(plain.size() + kAesBlockBytes);
    const int length = AesEncryptPadded(&context, plain.data(), static_cast<int>(plain.size()), unit.data());
    unit.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return unit;
}

// CBC over whole blocks with no padding added: lets a test choose the last plain block itself.
Bytes EncipherRawBlocks(const Bytes& plain)
{
    const AesContext context = Context(kAesEncipher);
    Bytes out(plain.size());
    BYTE chain[16] = {};
    for (size_t at = 0; at < plain.size(); at += 16) {
        BYTE block[16];
        for (int i = 0; i < 16; ++i)
            block[i] = plain[at + i] ^ chain[i];
        AesEncryptBlock(context.schedule, block, out.data() + at);
        std::memcpy(chain, out.data() + at, 16);
    }
    return out;
}

int Decipher(const Bytes& unit, Bytes& plain)
{
    const AesContext context = Context(kAesDecipher);
    plain.assign(unit.size() + kAesBlockBytes, 0xCC);
    const int length = AesDecryptPadded(unit.data(), plain.data(), &context, static_cast<int>(unit.size()));
    plain.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return length;
}

TEST(AesBlock, Fips197AppendixC3)
{
    const Bytes key = FromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
    const Bytes plain = FromHex("00112233445566778899aabbccddeeff");
    const Bytes expected = FromHex("8ea2b7ca516745bfeafc49904b496089");
    uint32_t schedule[kAesScheduleWords];
    AesExpandKey(key.data(), schedule);
    Bytes cipher(16);
    AesEncryptBlock(schedule, plain.data(), cipher.data());
    EXPECT_EQ(expected, cipher) << "got " << testsupport::Hex(cipher);

    AesInvertKeySchedule(schedule);
    Bytes back(16);
    AesDecryptBlock(schedule, cipher.data(), back.data());
    EXPECT_EQ(plain, back) << "got " << testsupport::Hex(back);
}

TEST(AesBlock, Fips197AppendixA3KeyExpansionAndSp80038aBlock)
{
    const Bytes key = FromHex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
    uint32_t schedule[kAesScheduleWords];
    AesExpandKey(key.data(), schedule);
    EXPECT_EQ(0x603deb10u, schedule[0]);
    EXPECT_EQ(0x9ba35411u, schedule[8]);
    EXPECT_EQ(0x706c631eu, schedule[59]);

    const Bytes plain = FromHex("6bc1bee22e409f96e93d7e117393172a");
    Bytes cipher(16);
    AesEncryptBlock(schedule, plain.data(), cipher.data());
    EXPECT_EQ(FromHex("f3eed1bdb5d2a03c064b5a7e3db181f8"), cipher) << "got " << testsupport::Hex(cipher);
}

TEST(AesPadded, LengthsAndRoundTrip)
{
    struct Case { size_t plain; int enciphered; };
    const Case cases[] = {{1, 16}, {15, 16}, {16, 32}, {17, 32}, {4080, 4096}, {4092, 4096}, {4095, 4096}};
    for (const Case& c : cases) {
        const Bytes plain = Pattern(c.plain);
        const Bytes unit = Encipher(plain);
        EXPECT_EQ(static_cast<size_t>(c.enciphered), unit.size()) << c.plain << " plain bytes";
        Bytes back;
        EXPECT_EQ(static_cast<int>(c.plain), Decipher(unit, back)) << c.plain << " plain bytes";
        EXPECT_EQ(plain, back) << c.plain << " plain bytes";
    }
}

TEST(AesPadded, ZeroIvMakesEqualPiecesEqualUnits)
{
    EXPECT_EQ(Encipher(Pattern(100)), Encipher(Pattern(100)));
    // the padding is the standard block padding: the last block of a 16-byte piece is all 16s
    Bytes plain = Pattern(16);
    plain.insert(plain.end(), 16, 16);
    EXPECT_EQ(EncipherRawBlocks(plain), Encipher(Pattern(16)));
}

// Both ways of running the rounds give the same units and read each other's units back (on a
// processor without AES instructions both runs take the tables).
TEST(AesPadded, ProcessorInstructionsAndTablesAgree)
{
    for (size_t length : {1, 15, 16, 17, 63, 64, 65, 100, 4080, 4095}) {
        const Bytes plain = Pattern(length);
        const bool previous = AesUseProcessorInstructions(false);
        const Bytes byTables = Encipher(plain);
        AesUseProcessorInstructions(true);
        const Bytes byInstructions = Encipher(plain);
        EXPECT_EQ(byTables, byInstructions) << length << " bytes";
        Bytes back;
        EXPECT_EQ(static_cast<int>(length), Decipher(byTables, back)) << length;
        EXPECT_EQ(plain, back) << length << " bytes deciphered with instructions";
        AesUseProcessorInstructions(false);
        EXPECT_EQ(static_cast<int>(length), Decipher(byInstructions, back)) << length;
        EXPECT_EQ(plain, back) << length << " bytes deciphered with tables";
        AesUseProcessorInstructions(previous);
    }
}

TEST(AesPadded, BadUnitsAreRefused)
{
    Bytes unequal = Pattern(16);
    unequal[13] = 3; unequal[14] = 2; unequal[15] = 3;   // claims 3, but one byte differs
    Bytes zero = Pattern(32);
    zero[31] = 0;
    Bytes seventeen = Pattern(32);
    seventeen[31] = 17;
    Bytes cut = Encipher(Pattern(4090));
    cut.resize(4094);
    struct Case { const char* name; Bytes unit; };
    const Case cases[] = {
        {"last byte 0", EncipherRawBlocks(zero)},
        {"last byte 17", EncipherRawBlocks(seventeen)},
        {"unequal padding", EncipherRawBlocks(unequal)},
        {"4094 bytes", cut},
        {"15 bytes", Bytes(15, 1)},
    };
    for (const Case& c : cases) {
        Bytes plain;
        EXPECT_EQ(kAesBadUnit, Decipher(c.unit, plain)) << c.name;
    }
}

TEST(AesPadded, ContextAndArgumentChecks)
{
    AesContext context;
    EXPECT_EQ(kAesBadDirection, AesInitContext(&context, 2));

    const AesContext encipher = Context(kAesEncipher);
    const AesContext decipher = Context(kAesDecipher);
    AesContext notReady = encipher;
    notReady.state = 1;
    BYTE source[32] = {};
    BYTE target[48];
    EXPECT_EQ(kAesNotReady, AesEncryptPadded(&decipher, source, 16, target));
    EXPECT_EQ(kAesNotReady, AesEncryptPadded(&notReady, source, 16, target));
    EXPECT_EQ(0, AesEncryptPadded(&encipher, nullptr, 16, target));
    EXPECT_EQ(0, AesEncryptPadded(&encipher, source, 0, target));
    EXPECT_EQ(kAesWrongDirection, AesDecryptPadded(source, target, &encipher, 16));
    EXPECT_EQ(kAesNotReady, AesDecryptPadded(source, target, &notReady, 16));
    EXPECT_EQ(0, AesDecryptPadded(source, target, &decipher, -16));
    EXPECT_EQ(0, AesDecryptPadded(nullptr, target, &decipher, 16));
}

} // namespace
