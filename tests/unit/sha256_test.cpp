// SHA-256 against the published test vectors, whole and fed in pieces.

#include <gtest/gtest.h>

#include <string>

#include "common/Sha256.h"

namespace cdflash {
namespace {

TEST(Sha256, PublishedVectorsWholeAndInPieces) {
  const struct {
    std::string message;
    std::size_t repeat;
    const char* digest;
  } vectors[] = {
      {"", 1, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", 1, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 1,
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
       1, "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {std::string(1000, 'a'), 1000, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& v : vectors) {
    SCOPED_TRACE(v.message.substr(0, 16) + " x" + std::to_string(v.repeat));
    std::string whole;
    for (std::size_t i = 0; i < v.repeat; ++i) whole += v.message;
    const auto bytes = [](const std::string& s) {
      return std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
    };
    EXPECT_EQ(DigestHex(Sha256().Update(bytes(whole)).Finish()), v.digest);
    // Pieces of every size that straddles a 64-byte block differently.
    for (std::size_t piece : {1u, 3u, 63u, 65u}) {
      Sha256 sha;
      for (std::size_t at = 0; at < whole.size(); at += piece) sha.Update(bytes(whole.substr(at, piece)));
      EXPECT_EQ(DigestHex(sha.Finish()), v.digest) << "pieces of " << piece;
    }
  }
}

}  // namespace
}  // namespace cdflash
