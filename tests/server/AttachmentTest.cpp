// Multipart sends with attachments, and their download through WbTenpu.exe, byte for byte.
#include <gtest/gtest.h>

#include "World.h"

namespace sorami::sitetest {
namespace {

class Attachments : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { world = &SharedWorld(); }
  void SetUp() override { Drain(*world, kHanako); }
  static World* world;
};
World* Attachments::world = nullptr;

std::string AllBytes(int repeat) {
  std::string s;
  for (int r = 0; r < repeat; ++r) {
    for (int b = 0; b < 256; ++b) s += static_cast<char>(b);
  }
  return s + "\r\n------SoramiTestBoundary7e\r\n";  // the start of a boundary line, not one
}

TEST_F(Attachments, RoundTripByteForByteUnderTheirCleanedNames) {
  const std::vector<FilePart> files = {
      {Sj("C:\\Users\\taro\\添付\\報告書.txt"), AllBytes(3)},
      {Sj("ソ.dat"), std::string("\0\x5C\xFF", 3)},  // the name ends in the byte 0x5C
      {"D:\\tmp\\..\\..\\evil,name.bin", "x"},
      {"/etc/passwd", "not the password file"},
      {"C:\\a\\report.txt", "first"},
      {"C:\\b\\report.txt", "second"},
      {"..\\..\\", ""}};
  Fields f = SendFields(kTaro, world->address(), {"はなこ%広場", "", "", "50%引き", "添付", ""});
  Reply sent = PostMultipart(world->address(), f, files);
  ASSERT_TRUE(sent.ok) << Utf(sent.status);

  auto lines = Drain(*world, kHanako);
  ASSERT_EQ(lines.size(), 1u);
  const std::vector<std::string>& line = lines[0];
  EXPECT_EQ(line[2], Sj("50％引き"));  // the multipart form of "%" is kept as sent
  EXPECT_EQ(line[19], Sj("報告書.txt") + "," + Sj("ソ.dat") +
                          ",evil_name.bin,passwd,report.txt,report_2.txt,tenpu");
  const std::vector<std::string> names = {Sj("報告書.txt"), Sj("ソ.dat"), "evil_name.bin",
                                          "passwd",         "report.txt", "report_2.txt",
                                          "tenpu"};
  // Downloads work after GETDEL, as the client fetches the files after reading the answer.
  for (std::size_t i = 0; i < names.size(); ++i) {
    Reply file = GetAttachment(world->address(), names[i], line[15], line[5]);
    EXPECT_EQ(file.httpStatus, 200) << i;
    EXPECT_EQ(file.body, files[i].data) << i;
  }
}

TEST_F(Attachments, OnlyTheRecipientsUserAndNumberOpenAnAttachment) {
  Fields f = SendFields(kTaro, world->address(), {"はなこ%広場", "", "", "t", "b", ""});
  ASSERT_TRUE(PostMultipart(world->address(), f, {{"C:\\x\\a b&c+d.txt", "data"}}).ok);
  auto lines = Drain(*world, kHanako);
  ASSERT_EQ(lines.size(), 1u);
  const std::string number = lines[0][5];
  EXPECT_EQ(GetAttachment(world->address(), "a b&c+d.txt", "hiroba", number).body, "data");
  for (auto [file, user, no] :
       {std::tuple{"a b&c+d.txt", "bekkan", number},
        std::tuple{"a b&c+d.txt", "hiroba", std::to_string(std::stoi(number) + 1000)},
        std::tuple{"other.txt", "hiroba", number},
        std::tuple{"a b&c+d.txt", "hiroba", std::string("1 OR 1=1")}}) {
    Reply r = GetAttachment(world->address(), file, user, no);
    EXPECT_EQ(r.httpStatus, 404) << user << " " << no;
    EXPECT_NE(r.body, "data");
  }
}

}  // namespace
}  // namespace sorami::sitetest
