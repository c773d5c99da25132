#include "registry/blowfish.h"

#include <algorithm>

namespace lanvik {
namespace {

#include "registry/blowfish_tables.inc"

constexpr int kRounds = 16;

bool UsableCbcLength(std::size_t size) { return size != 0 && size % 8 == 0; }

}  // namespace

BlowfishBlock LoadBlock(const std::uint8_t* bytes) {
    auto word = [](const std::uint8_t* b) {
        return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) |
               (std::uint32_t{b[2]} << 8) | std::uint32_t{b[3]};
    };
    return {word(bytes), word(bytes + 4)};
}

void StoreBlock(BlowfishBlock block, std::uint8_t* bytes) {
    auto put = [](std::uint32_t w, std::uint8_t* b) {
        b[0] = static_cast<std::uint8_t>(w >> 24);
        b[1] = static_cast<std::uint8_t>(w >> 16);
        b[2] = static_cast<std::uint8_t>(w >> 8);
        b[3] = static_cast<std::uint8_t>(w);
    };
    put(block.left, bytes);
    put(block.right, bytes + 4);
}

Blowfish::Blowfish(std::span<const std::uint8_t> key) {
    std::copy(std::begin(kInitialP), std::end(kInitialP), p_.begin());
    std::copy(std::begin(kInitialS0), std::end(kInitialS0), s_[0].begin());
    std::copy(std::begin(kInitialS1), std::end(kInitialS1), s_[1].begin());
    std::copy(std::begin(kInitialS2), std::end(kInitialS2), s_[2].begin());
    std::copy(std::begin(kInitialS3), std::end(kInitialS3), s_[3].begin());
    if (key.size() > kMaxKeyBytes) key = key.first(kMaxKeyBytes);
    if (key.empty()) return;

    std::size_t next = 0;
    for (auto& entry : p_) {
        std::uint32_t word = 0;
        for (int i = 0; i < 4; ++i) {
            word = (word << 8) | key[next];
            next = (next + 1) % key.size();
        }
        entry ^= word;
    }

    BlowfishBlock block;
    for (std::size_t i = 0; i < p_.size(); i += 2) {
        block = Encrypt(block);
        p_[i] = block.left;
        p_[i + 1] = block.right;
    }
    for (auto& box : s_) {
        for (std::size_t i = 0; i < box.size(); i += 2) {
            block = Encrypt(block);
            box[i] = block.left;
            box[i + 1] = block.right;
        }
    }
}

std::uint32_t Blowfish::Mix(std::uint32_t half) const {
    return ((s_[0][half >> 24] + s_[1][(half >> 16) & 0xFF]) ^ s_[2][(half >> 8) & 0xFF]) +
           s_[3][half & 0xFF];
}

BlowfishBlock Blowfish::Encrypt(BlowfishBlock block) const {
    std::uint32_t left = block.left;
    std::uint32_t right = block.right;
    for (int round = 0; round < kRounds; ++round) {
        left ^= p_[round];
        right ^= Mix(left);
        std::swap(left, right);
    }
    std::swap(left, right);
    right ^= p_[kRounds];
    left ^= p_[kRounds + 1];
    return {left, right};
}

BlowfishBlock Blowfish::Decrypt(BlowfishBlock block) const {
    std::uint32_t left = block.left;
    std::uint32_t right = block.right;
    for (int round = kRounds + 1; round > 1; --round) {
        left ^= p_[round];
        right ^= Mix(left);
        std::swap(left, right);
    }
    std::swap(left, right);
    right ^= p_[1];
    left ^= p_[0];
    return {left, right};
}

void Blowfish::EncryptCbc(std::span<std::uint8_t> buffer, BlowfishBlock iv) const {
    if (!UsableCbcLength(buffer.size())) return;
    BlowfishBlock chain = iv;
    for (std::size_t at = 0; at < buffer.size(); at += 8) {
        BlowfishBlock plain = LoadBlock(&buffer[at]);
        chain = Encrypt({plain.left ^ chain.left, plain.right ^ chain.right});
        StoreBlock(chain, &buffer[at]);
    }
}

void Blowfish::DecryptCbc(std::span<std::uint8_t> buffer, BlowfishBlock iv) const {
    if (!UsableCbcLength(buffer.size())) return;
    BlowfishBlock chain = iv;
    for (std::size_t at = 0; at < buffer.size(); at += 8) {
        BlowfishBlock cipher = LoadBlock(&buffer[at]);
        BlowfishBlock plain = Decrypt(cipher);
        StoreBlock({plain.left ^ chain.left, plain.right ^ chain.right}, &buffer[at]);
        chain = cipher;
    }
}

}  // namespace lanvik
