#include "store/digest.h"

#include <fcntl.h>
#include <unistd.h>
#include <xxhash.h>

#include <cstdint>
#include <new>

#include "store/fd.h"

namespace kilnbook {

namespace {

Digest FromHash(XXH128_hash_t hash) { return Digest{hash.high64, hash.low64}; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;
}

}  // namespace

// The library's state, allocated by the library (its layout is not part of
// its stable interface).
struct Digest::Builder::State {
  State() : xxh(XXH3_createState()) {
    if (xxh == nullptr) {
      throw std::bad_alloc();
    }
  }
  ~State() { XXH3_freeState(xxh); }
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  XXH3_state_t* xxh;
};

Digest::Builder::Builder() : state_(std::make_unique<State>()) {
  XXH3_128bits_reset(state_->xxh);
}

Digest::Builder::~Builder() = default;

Digest::Builder::Builder(const Builder& other)
    : state_(std::make_unique<State>()) {
  XXH3_copyState(state_->xxh, other.state_->xxh);
}

Digest::Builder& Digest::Builder::operator=(const Builder& other) {
  if (this != &other) {
    XXH3_copyState(state_->xxh, other.state_->xxh);
  }
  return *this;
}

void Digest::Builder::Add(std::string_view text) {
  XXH3_128bits_update(state_->xxh, text.data(), text.size());
}

Digest Digest::Builder::Current() const {
  return FromHash(XXH3_128bits_digest(state_->xxh));
}

std::string Digest::Hex() const {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex(32, '0');
  for (int i = 0; i < 16; ++i) {
    hex[static_cast<size_t>(15 - i)] = kDigits[(high >> (4 * i)) & 0xF];
    hex[static_cast<size_t>(31 - i)] = kDigits[(low >> (4 * i)) & 0xF];
  }
  return hex;
}

std::optional<Digest> Digest::FromHex(std::string_view hex) {
  if (hex.size() != 32) {
    return std::nullopt;
  }
  Digest digest;
  for (size_t i = 0; i < 32; ++i) {
    int value = HexValue(hex[i]);
    if (value < 0) {
      return std::nullopt;
    }
    uint64_t& half = i < 16 ? digest.high : digest.low;
    half = (half << 4) | static_cast<uint64_t>(value);
  }
  return digest;
}

Digest Digest::Of(std::string_view text) {
  return FromHash(XXH3_128bits(text.data(), text.size()));
}

std::optional<Digest> Digest::OfFile(const std::string& path) {
  Fd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  Builder builder;
  if (!file.ok() ||
      !ReadBlocks(file.get(), 0, UINT64_MAX,
                  [&builder](std::string_view block) { builder.Add(block); })) {
    return std::nullopt;
  }
  return builder.Current();
}

std::optional<Digest> Digest::OfFilePrefix(int fd, uint64_t length) {
  Builder builder;
  uint64_t read = 0;
  if (!ReadBlocks(fd, 0, length,
                  [&](std::string_view block) {
                    builder.Add(block);
                    read += block.size();
                  }) ||
      read != length) {
    return std::nullopt;
  }
  return builder.Current();
}

}  // namespace kilnbook
