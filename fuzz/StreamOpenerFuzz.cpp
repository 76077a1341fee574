// libFuzzer target: the encrypted store's chunk opener against libsodium. The input makes a
// stream (chunk lengths, tags, plain bytes), libsodium seals it, one byte of a chunk may be
// flipped, and both openers take every chunk: they must agree on the verdict, the bytes, the
// tag and the stream's state after each one.
#include <sodium.h>

#include <cstring>
#include <vector>

#include "FuzzFiles.h"
#include "platform/sodium/StreamOpener.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sorami;
  using State = crypto_secretstream_xchacha20poly1305_state;
  if (sodium_init() < 0) return 0;
  static StreamOpener fast(true);
  static StreamOpener slow(false);
  if (!fast.Fast()) fuzz::Broken();  // libcrypto did not load: nothing would be compared
  unsigned char key[crypto_secretstream_xchacha20poly1305_KEYBYTES] = {7};
  unsigned char header[crypto_secretstream_xchacha20poly1305_HEADERBYTES];
  State push, a, b;
  crypto_secretstream_xchacha20poly1305_init_push(&push, header, key);
  crypto_secretstream_xchacha20poly1305_init_pull(&a, header, key);
  b = a;
  size_t at = 0;
  while (at + 3 <= size) {
    const size_t len = std::min<size_t>(size_t{data[at]} * 5 + (data[at + 1] >> 4), size);
    const unsigned char tag = data[at + 1] & 3;  // message, push, rekey, final
    const unsigned char flip = data[at + 2];
    at += 3;
    std::vector<unsigned char> plain(data + at, data + std::min(size, at + len));
    at += plain.size();
    std::vector<unsigned char> sealed(plain.size() + crypto_secretstream_xchacha20poly1305_ABYTES);
    crypto_secretstream_xchacha20poly1305_push(&push, sealed.data(), nullptr, plain.data(),
                                               plain.size(), nullptr, 0, tag);
    if (flip >= 0xf0) sealed[flip % sealed.size()] ^= static_cast<unsigned char>(1 + flip % 7);
    std::vector<unsigned char> ma(plain.size() + 1), mb(plain.size() + 1);
    size_t la = 0, lb = 0;
    unsigned char ta = 0, tb = 0;
    const int ra = fast.Pull(a, ma.data(), la, ta, sealed.data(), sealed.size());
    const int rb = slow.Pull(b, mb.data(), lb, tb, sealed.data(), sealed.size());
    if (ra != rb || std::memcmp(&a, &b, sizeof a) != 0) fuzz::Broken();
    if (ra != 0) return 0;  // the stream is out of step with its writer from here on
    if (la != lb || ta != tb || std::memcmp(ma.data(), mb.data(), la) != 0) fuzz::Broken();
    if (la != plain.size() || (la > 0 && std::memcmp(ma.data(), plain.data(), la) != 0)) {
      fuzz::Broken();
    }
  }
  return 0;
}
