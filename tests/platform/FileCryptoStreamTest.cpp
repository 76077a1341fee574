// The encrypted file's layout read and written in pieces: the magic text, the secret-stream
// header, chunks of 65,536 plain bytes each sealed with its tag, the FINAL tag on the last.
// Files are made here with libsodium itself, in both forms earlier versions wrote (a full
// last chunk carrying FINAL, or an empty FINAL chunk after it), and the writer's files are
// opened here the same way.
#include <gtest/gtest.h>
#include <sodium.h>

#include <string>
#include <vector>

#include "platform/FileCrypto.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

using test::ReadFileBytes;
using test::ScratchDir;
using test::WriteFileBytes;

constexpr size_t kChunk = 65536;
constexpr size_t kTagBytes = crypto_secretstream_xchacha20poly1305_ABYTES;
constexpr size_t kHead = 8 + crypto_secretstream_xchacha20poly1305_HEADERBYTES;

std::string Plain(size_t size) {
  std::string plain(size, '\0');
  for (size_t i = 0; i < size; ++i) plain[i] = static_cast<char>(i * 31 + size);
  return plain;
}

class FileCryptoStream : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GE(sodium_init(), 0);
    randombytes_buf(key_, sizeof key_);
    WriteFileBytes(dir_ / "master.key", std::string(reinterpret_cast<char*>(key_), sizeof key_));
  }

  // The file as the layout says, the chunks cut as given; FINAL on the last one.
  std::string Seal(const std::string& plain, const std::vector<size_t>& chunks) {
    crypto_secretstream_xchacha20poly1305_state st;
    unsigned char header[crypto_secretstream_xchacha20poly1305_HEADERBYTES];
    crypto_secretstream_xchacha20poly1305_init_push(&st, header, key_);
    std::string out = "SORAMIE1" + std::string(reinterpret_cast<char*>(header), sizeof header);
    size_t at = 0;
    for (size_t k = 0; k < chunks.size(); ++k) {
      std::vector<unsigned char> c(chunks[k] + kTagBytes);
      crypto_secretstream_xchacha20poly1305_push(
          &st, c.data(), nullptr, reinterpret_cast<const unsigned char*>(plain.data() + at),
          chunks[k], nullptr, 0,
          k + 1 == chunks.size() ? crypto_secretstream_xchacha20poly1305_TAG_FINAL : 0);
      out.append(reinterpret_cast<char*>(c.data()), c.size());
      at += chunks[k];
    }
    return out;
  }

  // Opens a file of the layout: the plain text and the chunk sizes, or false.
  bool Open(const std::string& file, std::string& plain, std::vector<size_t>& chunks) {
    if (file.size() < kHead || file.compare(0, 8, "SORAMIE1") != 0) return false;
    crypto_secretstream_xchacha20poly1305_state st;
    if (crypto_secretstream_xchacha20poly1305_init_pull(
            &st, reinterpret_cast<const unsigned char*>(file.data() + 8), key_) != 0) {
      return false;
    }
    for (size_t at = kHead; at < file.size();) {
      const size_t n = std::min(kChunk + kTagBytes, file.size() - at);
      std::vector<unsigned char> p(n);
      unsigned long long plen = 0;
      unsigned char tag = 0;
      if (crypto_secretstream_xchacha20poly1305_pull(
              &st, p.data(), &plen, &tag, reinterpret_cast<const unsigned char*>(file.data() + at),
              n, nullptr, 0) != 0) {
        return false;
      }
      plain.append(reinterpret_cast<char*>(p.data()), plen);
      chunks.push_back(plen);
      at += n;
      if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL) return at == file.size();
    }
    return false;
  }

  std::string Decrypted(const std::filesystem::path& file, bool& ok) {
    std::string plain;
    ok = crypto_->DecryptToSink(file, [&](std::string_view chunk) {
      plain.append(chunk);
      return true;
    });
    return plain;
  }

  ScratchDir dir_;
  unsigned char key_[crypto_secretstream_xchacha20poly1305_KEYBYTES];
  std::unique_ptr<FileCrypto> crypto_ = MakeSodiumFileCrypto(dir_ / "master.key");
};

TEST_F(FileCryptoStream, FilesOfBothEarlierFormsOpenWhole) {
  for (size_t size : {size_t{0}, size_t{1}, kChunk - 1, kChunk, 2 * kChunk, 2 * kChunk + 5}) {
    const std::string plain = Plain(size);
    std::vector<size_t> full;  // every chunk full but the last
    for (size_t left = size; left > 0; left -= std::min(left, kChunk)) {
      full.push_back(std::min(left, kChunk));
    }
    std::vector<size_t> empty_end = full;  // an empty FINAL chunk after a full one
    if (full.empty() || full.back() == kChunk) empty_end.push_back(0);
    if (full.empty()) full.push_back(0);
    for (const auto& chunks : {full, empty_end}) {
      WriteFileBytes(dir_ / "Master.enc", Seal(plain, chunks));
      bool ok = false;
      EXPECT_EQ(Decrypted(dir_ / "Master.enc", ok), plain) << size << " " << chunks.size();
      EXPECT_TRUE(ok) << size << " " << chunks.size();
    }
  }
}

TEST_F(FileCryptoStream, WrittenInAnyPiecesTheFileHasFullChunksAndFinalOnTheLast) {
  for (size_t size : {size_t{0}, size_t{70000}, 2 * kChunk, 3 * kChunk + 1}) {
    const std::string plain = Plain(size);
    auto out = crypto_->OpenEncrypted(dir_ / "Master.enc");
    ASSERT_TRUE(out);
    // Pieces of 1, 65,535 and 70,000 bytes in turn, whatever the chunk boundaries.
    const size_t pieces[] = {1, kChunk - 1, 70000};
    for (size_t at = 0, k = 0; at < size; ++k) {
      const size_t n = std::min(pieces[k % 3], size - at);
      ASSERT_TRUE(out->Write(std::string_view(plain).substr(at, n)));
      at += n;
    }
    ASSERT_TRUE(out->Commit());
    std::string back;
    std::vector<size_t> chunks;
    ASSERT_TRUE(Open(ReadFileBytes(dir_ / "Master.enc"), back, chunks)) << size;
    EXPECT_EQ(back, plain);
    const size_t expected_chunks = size == 0 ? 1 : (size + kChunk - 1) / kChunk;
    EXPECT_EQ(chunks.size(), expected_chunks) << size;
    for (size_t k = 0; k + 1 < chunks.size(); ++k) EXPECT_EQ(chunks[k], kChunk) << size;
  }
}

TEST_F(FileCryptoStream, AnUncommittedWriterLeavesTheOldFileAndABadFileFailsAfterItsGoodChunks) {
  const std::string old = Seal("the old store", {13});
  WriteFileBytes(dir_ / "Master.enc", old);
  {
    auto out = crypto_->OpenEncrypted(dir_ / "Master.enc");
    ASSERT_TRUE(out);
    ASSERT_TRUE(out->Write(Plain(3 * kChunk)));
  }  // dropped: no Commit
  EXPECT_EQ(ReadFileBytes(dir_ / "Master.enc"), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 2);

  // Damage in the third chunk: the first two were handed on, then the call fails.
  std::string file = Seal(Plain(3 * kChunk), {kChunk, kChunk, kChunk});
  file[kHead + 2 * (kChunk + kTagBytes) + 100] ^= 1;
  WriteFileBytes(dir_ / "Master.enc", file);
  bool ok = true;
  EXPECT_EQ(Decrypted(dir_ / "Master.enc", ok).size(), 2 * kChunk);
  EXPECT_FALSE(ok);
  // A refusing sink stops the read.
  int calls = 0;
  WriteFileBytes(dir_ / "Master.enc", Seal(Plain(3 * kChunk), {kChunk, kChunk, kChunk}));
  EXPECT_FALSE(
      crypto_->DecryptToSink(dir_ / "Master.enc", [&](std::string_view) { return ++calls < 2; }));
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace sorami
