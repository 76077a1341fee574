// The chunk opener against libsodium itself: streams sealed by libsodium (every tag, the
// lengths around the MAC's 16-byte padding, a renewed key midway) open to the same bytes,
// tags and stream state with libcrypto as with libsodium, and a damaged or foreign chunk is
// refused by both without touching the state.
#include <gtest/gtest.h>
#include <sodium.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/sodium/StreamOpener.h"

namespace sorami {
namespace {

using State = crypto_secretstream_xchacha20poly1305_state;

struct Sealed {
  std::vector<unsigned char> bytes;
  std::string plain;
  unsigned char tag;
};

// A stream of chunks, one per length, tags cycling through every kind.
std::vector<Sealed> SealStream(const unsigned char* key, unsigned char* header) {
  State push;
  crypto_secretstream_xchacha20poly1305_init_push(&push, header, key);
  const unsigned char tags[] = {crypto_secretstream_xchacha20poly1305_TAG_MESSAGE,
                                crypto_secretstream_xchacha20poly1305_TAG_PUSH,
                                crypto_secretstream_xchacha20poly1305_TAG_REKEY};
  std::vector<Sealed> out;
  const size_t lengths[] = {0, 1, 15, 16, 17, 47, 48, 49, 63, 64, 65, 1000, 65536, 3, 70000};
  size_t k = 0;
  for (size_t len : lengths) {
    Sealed s;
    for (size_t i = 0; i < len; ++i) s.plain.push_back(static_cast<char>(i * 31 + len));
    s.tag = k + 1 == std::size(lengths) ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                                        : tags[k % std::size(tags)];
    s.bytes.resize(len + crypto_secretstream_xchacha20poly1305_ABYTES);
    crypto_secretstream_xchacha20poly1305_push(
        &push, s.bytes.data(), nullptr, reinterpret_cast<const unsigned char*>(s.plain.data()), len,
        nullptr, 0, s.tag);
    out.push_back(std::move(s));
    ++k;
  }
  return out;
}

class StreamOpenerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GE(sodium_init(), 0);
    crypto_secretstream_xchacha20poly1305_keygen(key);
    chunks = SealStream(key, header);
  }
  State Start() {
    State st;
    EXPECT_EQ(crypto_secretstream_xchacha20poly1305_init_pull(&st, header, key), 0);
    return st;
  }
  unsigned char key[crypto_secretstream_xchacha20poly1305_KEYBYTES];
  unsigned char header[crypto_secretstream_xchacha20poly1305_HEADERBYTES];
  std::vector<Sealed> chunks;
};

TEST_F(StreamOpenerTest, OpensEveryChunkAsLibsodiumDoesWithTheSameStateAfterEach) {
  StreamOpener fast(true);
  StreamOpener slow(false);
  // libcrypto comes with the system's TLS, which the program needs anyway; without it this
  // test would compare libsodium with itself.
  ASSERT_TRUE(fast.Fast());
  ASSERT_FALSE(slow.Fast());
  State a = Start();
  State b = Start();
  for (const Sealed& s : chunks) {
    std::vector<unsigned char> ma(s.plain.size() + 1), mb(s.plain.size() + 1);
    size_t la = 99, lb = 99;
    unsigned char ta = 99, tb = 99;
    ASSERT_EQ(fast.Pull(a, ma.data(), la, ta, s.bytes.data(), s.bytes.size()), 0) << s.plain.size();
    ASSERT_EQ(slow.Pull(b, mb.data(), lb, tb, s.bytes.data(), s.bytes.size()), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(ma.data()), la), s.plain) << s.plain.size();
    EXPECT_EQ(la, lb);
    EXPECT_EQ(ta, s.tag);
    EXPECT_EQ(tb, s.tag);
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << "state after " << s.plain.size();
  }
}

TEST_F(StreamOpenerTest, RefusesADamagedShortOrForeignChunkAndKeepsTheState) {
  StreamOpener fast(true);
  ASSERT_TRUE(fast.Fast());
  const Sealed& s = chunks[11];  // 1,000 bytes
  std::vector<unsigned char> m(s.plain.size());
  size_t len = 0;
  unsigned char tag = 0;
  // One flipped bit in the tag byte, the body, the MAC.
  for (size_t at : {size_t{0}, size_t{1}, s.bytes.size() / 2, s.bytes.size() - 1}) {
    State st = Start();
    for (size_t i = 0; i < 11; ++i) {
      ASSERT_EQ(fast.Pull(st, m.data(), len, tag, chunks[i].bytes.data(), chunks[i].bytes.size()),
                0);
    }
    const State before = st;
    std::vector<unsigned char> bad = s.bytes;
    bad[at] ^= 0x01;
    EXPECT_EQ(fast.Pull(st, m.data(), len, tag, bad.data(), bad.size()), -1) << at;
    EXPECT_EQ(std::memcmp(&st, &before, sizeof st), 0) << at;
    // The good chunk still opens after the refused one.
    EXPECT_EQ(fast.Pull(st, m.data(), len, tag, s.bytes.data(), s.bytes.size()), 0) << at;
  }
  State st = Start();
  EXPECT_EQ(fast.Pull(st, m.data(), len, tag, s.bytes.data(), 16), -1);  // shorter than a MAC
  // A chunk out of order (the stream's second where its first is due).
  EXPECT_EQ(fast.Pull(st, m.data(), len, tag, chunks[1].bytes.data(), chunks[1].bytes.size()), -1);
}

}  // namespace
}  // namespace sorami
