#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pindrake::clipboard {

struct SipHashKey {
    std::uint64_t k0;
    std::uint64_t k1;
};

// SipHash-2-4 with its 128-bit output: a keyed pseudo-random function, fast on long input.
class SipHash128 {
  public:
    explicit SipHash128(const SipHashKey& key)
        : v0_(0x736f6d6570736575ULL ^ key.k0),
          v1_(0x646f72616e646f6dULL ^ key.k1 ^ 0xee),
          v2_(0x6c7967656e657261ULL ^ key.k0),
          v3_(0x7465646279746573ULL ^ key.k1) {}

    std::array<std::uint64_t, 2> digest(std::string_view bytes) {
        feed(bytes);
        return finish();
    }

    // The same digest from the bytes in pieces of any size, for a text too large to hold whole.
    void feed(std::string_view bytes) {
        length_ += bytes.size();
        if (tailSize_ > 0) {
            const std::size_t taken = std::min(bytes.size(), 8 - tailSize_);
            bytes.copy(tail_ + tailSize_, taken);
            tailSize_ += taken;
            bytes.remove_prefix(taken);
            if (tailSize_ < 8)
                return;
            absorb(littleEndianWord(tail_, 8));
            tailSize_ = 0;
        }
        const std::size_t whole = bytes.size() / 8 * 8;
        for (std::size_t at = 0; at < whole; at += 8)
            absorb(littleEndianWord(bytes.data() + at, 8));
        tailSize_ = bytes.copy(tail_, bytes.size() - whole, whole);
    }
    // Once, after the last piece.
    std::array<std::uint64_t, 2> finish() {
        absorb(std::uint64_t{length_} << 56 | littleEndianWord(tail_, tailSize_));
        v2_ ^= 0xee;
        rounds(4);
        const std::uint64_t first = v0_ ^ v1_ ^ v2_ ^ v3_;
        v1_ ^= 0xdd;
        rounds(4);
        return {first, v0_ ^ v1_ ^ v2_ ^ v3_};
    }

  private:
    static std::uint64_t littleEndianWord(const char* bytes, std::size_t count) {
        std::uint64_t word = 0;
        for (std::size_t i = 0; i < count; ++i)
            word |= std::uint64_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
        return word;
    }
    void absorb(std::uint64_t word) {
        v3_ ^= word;
        rounds(2);
        v0_ ^= word;
    }
    void rounds(int count) {
        for (int i = 0; i < count; ++i) {
            v0_ += v1_;
            v1_ = std::rotl(v1_, 13) ^ v0_;
            v0_ = std::rotl(v0_, 32);
            v2_ += v3_;
            v3_ = std::rotl(v3_, 16) ^ v2_;
            v0_ += v3_;
            v3_ = std::rotl(v3_, 21) ^ v0_;
            v2_ += v1_;
            v1_ = std::rotl(v1_, 17) ^ v2_;
            v2_ = std::rotl(v2_, 32);
        }
    }

    std::uint64_t v0_, v1_, v2_, v3_;
    std::uint64_t length_ = 0;
    // The bytes of a piece that did not fill a word, waiting for the next piece.
    char tail_[8] = {};
    std::size_t tailSize_ = 0;
};

}  // namespace pindrake::clipboard
