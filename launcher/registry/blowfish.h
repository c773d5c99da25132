// Blowfish: 64-bit blocks, 16 rounds, keys of 1 to 56 bytes, with the standard initial tables
// (the hexadecimal digits of pi) and key schedule. The snapshot file is sealed with it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace lanvik {

// One block as two 32-bit halves; bytes map to halves most significant byte first.
struct BlowfishBlock {
    std::uint32_t left = 0;
    std::uint32_t right = 0;
};

class Blowfish {
  public:
    static constexpr std::size_t kMaxKeyBytes = 56;

    // Runs the key schedule. Key bytes beyond the 56th are ignored; an empty key leaves the
    // initial tables in place.
    explicit Blowfish(std::span<const std::uint8_t> key);

    BlowfishBlock Encrypt(BlowfishBlock block) const;
    BlowfishBlock Decrypt(BlowfishBlock block) const;

    // Cipher-block chaining in place, starting from the chaining value `iv`. A buffer whose
    // length is 0 or not a multiple of 8 is left unchanged.
    void EncryptCbc(std::span<std::uint8_t> buffer, BlowfishBlock iv) const;
    void DecryptCbc(std::span<std::uint8_t> buffer, BlowfishBlock iv) const;

  private:
    std::uint32_t Mix(std::uint32_t half) const;

    std::array<std::uint32_t, 18> p_{};
    std::array<std::array<std::uint32_t, 256>, 4> s_{};
};

// Big-endian reading and writing of a block, as the cipher's byte order wants.
BlowfishBlock LoadBlock(const std::uint8_t* bytes);
void StoreBlock(BlowfishBlock block, std::uint8_t* bytes);

}  // namespace lanvik
