#include <gtest/gtest.h>

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

}  // namespace
}  // namespace sorami
