// Content digests: 128-bit XXH3 hashes of texts and files, to tell whether a
// file still holds what we wrote and whether a page's inputs changed.
#ifndef KILNBOOK_STORE_DIGEST_H_
#define KILNBOOK_STORE_DIGEST_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kilnbook {

// Not a cryptographic hash: it guards against accidents (a torn file, a
// changed input), not against someone forging a file.
struct Digest {
  uint64_t high = 0;
  uint64_t low = 0;

  bool operator==(const Digest&) const = default;

  // 32 lowercase hexadecimal digits.
  std::string Hex() const;
  static std::optional<Digest> FromHex(std::string_view hex);

  static Digest Of(std::string_view text);

  // The digest of the whole file, or nothing when it cannot be read.
  static std::optional<Digest> OfFile(const std::string& path);

  // The digest of the first `length` bytes of the open file `fd`, or nothing
  // when the file is shorter or cannot be read.
  static std::optional<Digest> OfFilePrefix(int fd, uint64_t length);

  // Digests data given in pieces; the same bytes in any split give the same
  // digest as Of().
  class Builder {
   public:
    Builder();
    ~Builder();
    Builder(const Builder& other);
    Builder& operator=(const Builder& other);

    void Add(std::string_view text);
    // The digest of everything added so far; more may be added afterwards.
    Digest Current() const;

   private:
    struct State;
    std::unique_ptr<State> state_;
  };
};

}  // namespace kilnbook

#endif  // KILNBOOK_STORE_DIGEST_H_
