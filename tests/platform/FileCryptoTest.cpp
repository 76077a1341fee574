// File encryption, whole files and in pieces: the layout is the magic text, the secret-stream
// header, chunks of 65,536 plain bytes each sealed with its tag, FINAL on the last. Files are
// also made with libsodium itself in both forms earlier versions wrote (a full last chunk
// carrying FINAL, or an empty FINAL chunk after it), and the writer's files opened that way.
#include <gtest/gtest.h>
#include <sodium.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/FileCrypto.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

using test::ReadFileBytes;
using test::ScratchDir;
using test::WriteFileBytes;

class FileCryptoTest : public ::testing::Test {
 protected:
  std::string P(const char* name) { return (dir / name).string(); }
  ScratchDir dir;
  std::unique_ptr<FileCrypto> crypto = MakeSodiumFileCrypto(dir / "cfg" / "master.key");
};

TEST_F(FileCryptoTest, RoundTripsFilesOfEverySizeAcrossChunkBoundaries) {
  for (size_t size : {size_t{0}, size_t{1}, size_t{65535}, size_t{65536}, size_t{200000}}) {
    std::string plain(size, '\0');
    for (size_t i = 0; i < size; ++i) plain[i] = static_cast<char>(i * 7 + size);
    WriteFileBytes(dir / "plain", plain);
    ASSERT_EQ(crypto->EncryptFile(P("plain").c_str(), P("enc").c_str(), "."), 0) << size;
    EXPECT_NE(ReadFileBytes(dir / "enc").find("SORAMIE1"), std::string::npos);
    ASSERT_EQ(crypto->DecryptFile(P("enc").c_str(), P("back").c_str(), "."), 0) << size;
    EXPECT_EQ(ReadFileBytes(dir / "back"), plain) << size;
    EXPECT_EQ(ReadFileBytes(dir / "plain"), plain);  // the source stays
  }
  EXPECT_EQ(std::filesystem::status(dir / "cfg" / "master.key").permissions() &
                std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(FileCryptoTest, SealedBytesOpenOnlyWithTheirKeyAndNameAndUndamaged) {
  const std::string plain = "Subject: x\r\n\r\n\xf0\x9f\x98\x80\r\n";
  std::string sealed, again, back;
  ASSERT_TRUE(crypto->SealBytes(plain, "name-1", sealed));
  ASSERT_TRUE(crypto->SealBytes(plain, "name-1", again));
  EXPECT_NE(sealed, again) << "each sealing takes a new nonce";
  EXPECT_EQ(sealed.find("Subject"), std::string::npos);
  ASSERT_TRUE(crypto->OpenBytes(sealed, "name-1", back));
  EXPECT_EQ(back, plain);
  EXPECT_FALSE(crypto->OpenBytes(sealed, "name-2", back)) << "sealed for another name";
  EXPECT_TRUE(back.empty());
  std::string flipped = sealed;
  flipped[sealed.size() / 2] ^= 1;
  EXPECT_FALSE(crypto->OpenBytes(flipped, "name-1", back));
  EXPECT_FALSE(crypto->OpenBytes(sealed.substr(0, 30), "name-1", back));
  auto other = MakeSodiumFileCrypto(dir / "other.key");
  ASSERT_TRUE(other->SealBytes("make the other key", "", again));
  EXPECT_FALSE(other->OpenBytes(sealed, "name-1", back));
}

TEST_F(FileCryptoTest, WrongKeyDamageAndTruncationFailWithoutLeavingAPlainFile) {
  std::string plain(150000, 'x');
  WriteFileBytes(dir / "plain", plain);
  ASSERT_EQ(crypto->EncryptFile(P("plain").c_str(), P("enc").c_str(), "."), 0);
  const std::string enc = ReadFileBytes(dir / "enc");

  auto other = MakeSodiumFileCrypto(dir / "other.key");
  WriteFileBytes(dir / "x", "make the other key");
  ASSERT_EQ(other->EncryptFile(P("x").c_str(), P("x.enc").c_str(), "."), 0);
  EXPECT_NE(other->DecryptFile(P("enc").c_str(), P("out").c_str(), "."), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "out"));

  std::string flipped = enc;
  flipped[enc.size() / 2] ^= 1;
  WriteFileBytes(dir / "damaged", flipped);
  EXPECT_NE(crypto->DecryptFile(P("damaged").c_str(), P("out").c_str(), "."), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "out"));

  // Cut at a chunk boundary: every remaining chunk authenticates, only the end is missing.
  WriteFileBytes(dir / "cut", enc.substr(0, 8 + 24 + 65536 + 17));
  EXPECT_NE(crypto->DecryptFile(P("cut").c_str(), P("out").c_str(), "."), 0);
  WriteFileBytes(dir / "cut", enc + "extra");
  EXPECT_NE(crypto->DecryptFile(P("cut").c_str(), P("out").c_str(), "."), 0);
  WriteFileBytes(dir / "cut", "SORAMIE1");
  EXPECT_NE(crypto->DecryptFile(P("cut").c_str(), P("out").c_str(), "."), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "out"));

  // A failed decryption over an existing file leaves that file as it was.
  WriteFileBytes(dir / "out", "keep me");
  EXPECT_NE(crypto->DecryptFile(P("damaged").c_str(), P("out").c_str(), "."), 0);
  EXPECT_EQ(ReadFileBytes(dir / "out"), "keep me");
}

TEST_F(FileCryptoTest, MissingSourceOrKeyFailAndADamagedKeyIsNeverReplaced) {
  EXPECT_NE(crypto->EncryptFile(P("nothing").c_str(), P("enc").c_str(), "."), 0);
  EXPECT_NE(crypto->DecryptFile(P("nothing").c_str(), P("out").c_str(), "."), 0);

  WriteFileBytes(dir / "plain", "abc");
  WriteFileBytes(dir / "cfg" / "master.key", "short");
  EXPECT_NE(crypto->EncryptFile(P("plain").c_str(), P("enc").c_str(), "."), 0);
  EXPECT_EQ(ReadFileBytes(dir / "cfg" / "master.key"), "short");
  EXPECT_FALSE(std::filesystem::exists(dir / "enc"));
}

constexpr size_t kChunk = 65536;
constexpr size_t kTagBytes = crypto_secretstream_xchacha20poly1305_ABYTES;
constexpr size_t kHead = 8 + crypto_secretstream_xchacha20poly1305_HEADERBYTES;
constexpr unsigned char kFinal = crypto_secretstream_xchacha20poly1305_TAG_FINAL;
using State = crypto_secretstream_xchacha20poly1305_state;
using Bytes = std::vector<unsigned char>;

const unsigned char* At(const std::string& s, size_t at) {
  return reinterpret_cast<const unsigned char*>(s.data() + at);
}

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
    State st;
    Bytes header(crypto_secretstream_xchacha20poly1305_HEADERBYTES);
    crypto_secretstream_xchacha20poly1305_init_push(&st, header.data(), key_);
    std::string out = "SORAMIE1" + std::string(header.begin(), header.end());
    for (size_t k = 0, at = 0; k < chunks.size(); at += chunks[k++]) {
      Bytes c(chunks[k] + kTagBytes);
      crypto_secretstream_xchacha20poly1305_push(&st, c.data(), nullptr, At(plain, at), chunks[k],
                                                 nullptr, 0, k + 1 == chunks.size() ? kFinal : 0);
      out.append(c.begin(), c.end());
    }
    return out;
  }

  // Opens a file of the layout: the plain text and the chunk sizes, or false.
  bool Open(const std::string& file, std::string& plain, std::vector<size_t>& chunks) {
    State st;
    if (file.size() < kHead || file.compare(0, 8, "SORAMIE1") != 0 ||
        crypto_secretstream_xchacha20poly1305_init_pull(&st, At(file, 8), key_) != 0) {
      return false;
    }
    for (size_t at = kHead; at < file.size();) {
      const size_t n = std::min(kChunk + kTagBytes, file.size() - at);
      Bytes p(n);
      unsigned long long plen = 0;
      unsigned char tag = 0;
      if (crypto_secretstream_xchacha20poly1305_pull(&st, p.data(), &plen, &tag, At(file, at), n,
                                                     nullptr, 0) != 0) {
        return false;
      }
      plain.append(p.begin(), p.begin() + plen);
      chunks.push_back(plen);
      at += n;
      if (tag == kFinal) return at == file.size();
    }
    return false;
  }

  std::string Decrypted(const std::filesystem::path& file, bool& ok) {
    std::string plain;
    ok = crypto_->DecryptToSink(file,
                                [&](std::string_view chunk) { return plain.append(chunk), true; });
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
    for (size_t left = size; left > 0; left -= full.back()) full.push_back(std::min(left, kChunk));
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
    EXPECT_EQ(chunks.size(), size == 0 ? 1 : (size + kChunk - 1) / kChunk) << size;
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

TEST_F(FileCryptoStream, ALongFileComesInOrderAndStopsAtDamageARefusalOrAThrowFarIntoIt) {
  // Far more chunks than are decrypted ahead of the sink, the last one short.
  constexpr size_t kChunks = 41;
  const std::string plain = Plain(40 * kChunk + 123);
  std::vector<size_t> chunks(kChunks, kChunk);
  chunks.back() = 123;
  const std::string file = Seal(plain, chunks);
  WriteFileBytes(dir_ / "Master.enc", file);
  std::vector<size_t> sizes;
  std::string back;
  ASSERT_TRUE(crypto_->DecryptToSink(dir_ / "Master.enc", [&](std::string_view chunk) {
    sizes.push_back(chunk.size());
    return back.append(chunk), true;
  }));
  EXPECT_TRUE(back == plain);
  ASSERT_EQ(sizes.size(), kChunks);
  EXPECT_EQ(sizes.back(), 123u);

  std::string damaged = file;
  damaged[kHead + 29 * (kChunk + kTagBytes) + 7] ^= 1;
  WriteFileBytes(dir_ / "Master.enc", damaged);
  bool ok = true;
  const std::string before = Decrypted(dir_ / "Master.enc", ok);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(before == plain.substr(0, 29 * kChunk));

  WriteFileBytes(dir_ / "Master.enc", file);
  int calls = 0;
  EXPECT_FALSE(
      crypto_->DecryptToSink(dir_ / "Master.enc", [&](std::string_view) { return ++calls < 25; }));
  EXPECT_EQ(calls, 25);
  calls = 0;
  EXPECT_THROW(crypto_->DecryptToSink(dir_ / "Master.enc",
                                      [&](std::string_view) -> bool {
                                        if (++calls == 9) throw std::runtime_error("full");
                                        return true;
                                      }),
               std::runtime_error);
  EXPECT_EQ(calls, 9);
}

}  // namespace
}  // namespace sorami
