#include "registry/blowfish.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lanvik {
namespace {

std::vector<std::uint8_t> FromHex(std::string_view hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(
            static_cast<std::uint8_t>(std::stoul(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return bytes;
}

std::string ToHex(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (auto b : bytes) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 0xF];
    }
    return hex;
}

std::string EncryptOneBlock(std::string_view keyHex, std::string_view plainHex) {
    Blowfish cipher(FromHex(keyHex));
    auto block = FromHex(plainHex);
    StoreBlock(cipher.Encrypt(LoadBlock(block.data())), block.data());
    return ToHex(block);
}

std::string DecryptOneBlock(std::string_view keyHex, std::string_view cipherHex) {
    Blowfish cipher(FromHex(keyHex));
    auto block = FromHex(cipherHex);
    StoreBlock(cipher.Decrypt(LoadBlock(block.data())), block.data());
    return ToHex(block);
}

// Eric Young's published electronic-code-book vectors: key, clear text, cipher text.
struct EcbVector {
    const char* key;
    const char* plain;
    const char* cipher;
};
constexpr EcbVector kEcbVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};

TEST(Blowfish, MatchesTheEcbVectorsBothWays) {
    for (const auto& v : kEcbVectors) {
        SCOPED_TRACE(std::string("key ") + v.key + ", clear " + v.plain);
        EXPECT_EQ(EncryptOneBlock(v.key, v.plain), v.cipher);
        EXPECT_EQ(DecryptOneBlock(v.key, v.cipher), v.plain);
    }
}

// The variable-key set: keys of 1 to 24 bytes, all prefixes of one key, on one clear block.
TEST(Blowfish, MatchesTheVariableKeyVectors) {
    constexpr std::string_view kFullKey = "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677";
    constexpr const char* kCipher[24] = {
        "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05",
        "B39E44481BDB1E6E", "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82",
        "15750E7A4F4EC577", "122BA70B3AB64AE0", "3A833C9AFFC537F6", "9409DA87A90F6BF2",
        "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F", "93142887EE3BE15C",
        "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
        "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
    };
    for (std::size_t length = 1; length <= 24; ++length) {
        SCOPED_TRACE(std::to_string(length) + "-byte key");
        auto key = kFullKey.substr(0, 2 * length);
        EXPECT_EQ(EncryptOneBlock(key, "FEDCBA9876543210"), kCipher[length - 1]);
        EXPECT_EQ(DecryptOneBlock(key, kCipher[length - 1]), "FEDCBA9876543210");
    }
}

TEST(Blowfish, MatchesTheChainedVector) {
    Blowfish cipher(FromHex("0123456789ABCDEFF0E1D2C3B4A59687"));
    auto iv = FromHex("FEDCBA9876543210");
    // "7654321 Now is the time for " with its NUL, padded with zeros to 32 bytes.
    std::string text("7654321 Now is the time for ");
    std::vector<std::uint8_t> buffer(text.begin(), text.end());
    buffer.resize(32, 0);
    const auto plain = buffer;

    cipher.EncryptCbc(buffer, LoadBlock(iv.data()));
    EXPECT_EQ(ToHex(buffer), "6B77B4D63006DEE605B156E27403979358DEB9E7154616D959F1652BD5FF92CC");
    cipher.DecryptCbc(buffer, LoadBlock(iv.data()));
    EXPECT_EQ(buffer, plain);
}

TEST(Blowfish, LeavesBuffersThatAreNotWholeBlocksAlone) {
    Blowfish cipher(FromHex("0123456789ABCDEF"));
    for (std::size_t length : {0u, 1u, 7u, 9u, 15u, 17u}) {
        SCOPED_TRACE(length);
        std::vector<std::uint8_t> buffer(length, 0x5A);
        cipher.EncryptCbc(buffer, {1, 2});
        EXPECT_EQ(buffer, std::vector<std::uint8_t>(length, 0x5A));
        cipher.DecryptCbc(buffer, {1, 2});
        EXPECT_EQ(buffer, std::vector<std::uint8_t>(length, 0x5A));
    }
}

TEST(Blowfish, IgnoresKeyBytesBeyondTheFiftySixth) {
    std::vector<std::uint8_t> key(56);
    for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(i * 37);
    auto longer = key;
    longer.push_back(0xAB);
    Blowfish a(key);
    Blowfish b(longer);
    EXPECT_EQ(a.Encrypt({0x01234567, 0x89ABCDEF}).left, b.Encrypt({0x01234567, 0x89ABCDEF}).left);
    EXPECT_EQ(a.Encrypt({0x01234567, 0x89ABCDEF}).right, b.Encrypt({0x01234567, 0x89ABCDEF}).right);
}

}  // namespace
}  // namespace lanvik
