// Multipart sends with attachments, and their download through WbTenpu.exe, byte for byte.
#include <gtest/gtest.h>

#include <algorithm>

#include "World.h"

namespace sorami::sitetest {
namespace {

using Attachments = OnSharedWorld;

TEST_F(Attachments, RoundTripByteForByteUnderCleanedNamesAndOnlyForTheirRecipient) {
  const World& w = *world;
  std::string allBytes;
  for (int i = 0; i < 3 * 256; ++i) allBytes += static_cast<char>(i);
  allBytes += "\r\n------SoramiTestBoundary7e\r\n";  // the start of a boundary line, not one
  std::string longName = "x", cutName = "x";         // cut to whole characters within 200 bytes
  for (int i = 0; i < 150; ++i) longName += Sj("あ"), cutName += i < 99 ? Sj("あ") : "";
  const std::vector<FilePart> files = {
      {Sj("C:\\Users\\taro\\添付\\報告書.txt"), allBytes},
      {Sj("ソ.dat"), std::string("\0\x5C\xFF", 3)},  // the name ends in the byte 0x5C
      {Sj("C:\\表\\能"), "5c"},                      // so does the folder's
      {"D:\\tmp\\..\\..\\evil,name.bin", "x"},
      {"/etc/passwd", "not the password file"},
      {"C:\\a\\report.txt", "first"},
      {"C:\\b\\report.txt", "second"},
      {"..\\..\\", ""},
      {"C:evil.txt", "drive"},
      {"a\001\037\177b.txt", "controls"},
      {"a<b>c|d*e?f#g:h.txt", "reserved"},
      {".hidden", "dot"},
      {"name. . ", "trailing"},
      {"z\x83", "half a character"},
      {longName, "long"},
      {"C:\\100%.txt", "percent"},  // "%" not followed by hex in the download query
      {"C:\\x\\a b&c+d.txt", "data"}};
  Fields f = SendFields(kTaro, w.address(), {"はなこ%広場", "", "", "50%引き", "添付", ""});
  Reply sent = PostMultipart(w.address(), f, files);
  ASSERT_TRUE(sent.ok) << Utf(sent.status);

  auto lines = Drain(w, kHanako);
  ASSERT_EQ(lines.size(), 1u);
  const std::vector<std::string>& line = lines[0];
  EXPECT_EQ(line[2], Sj("50％引き"));  // the multipart form of "%" is kept as sent
  const std::string joined = Sj("報告書.txt,ソ.dat,能,") +
                             "evil_name.bin,passwd,report.txt,report_2.txt,tenpu,evil.txt,ab.txt,"
                             "a_b_c_d_e_f_g_h.txt,hidden,name,z," +
                             cutName + ",100%.txt,a b&c+d.txt";
  std::string tabbed = joined;  // code page 932 has no "," in a character's second byte
  std::replace(tabbed.begin(), tabbed.end(), ',', '\t');
  const std::vector<std::string> names = SplitTabs(tabbed);
  EXPECT_EQ(line[19], joined);
  // Downloads work after GETDEL, as the client fetches the files after reading the answer.
  const std::string number = line[5];
  for (std::size_t i = 0; i < names.size(); ++i) {
    Reply file = GetAttachment(w.address(), names[i], line[15], number);
    EXPECT_EQ(file.httpStatus, 200) << i;
    EXPECT_EQ(file.body, files[i].data) << i;
  }
  // Only the recipient's system user, the message number and the file name open a file.
  for (auto [file, user, no] :
       {std::tuple{"a b&c+d.txt", "bekkan", number},
        std::tuple{"a b&c+d.txt", "hiroba", std::to_string(std::stoi(number) + 1000)},
        std::tuple{"other.txt", "hiroba", number},
        std::tuple{"a b&c+d.txt", "hiroba", std::string("1 OR 1=1")}}) {
    Reply r = GetAttachment(w.address(), file, user, no);
    EXPECT_EQ(r.httpStatus, 404) << user << " " << no;
    EXPECT_NE(r.body, "data");
  }
}

}  // namespace
}  // namespace sorami::sitetest
