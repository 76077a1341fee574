#include <gtest/gtest.h>

#include <ctime>

#include "base/MbText.h"
#include "mail/MailFixture.h"
#include "mail/MakeNewMail.h"

namespace sorami {
namespace {

using namespace test;

// A mail with attachments named as given (each "name|content"), and an HTML rendering.
std::string WithAttachments(const std::vector<std::string>& names, bool html_part = false) {
  std::string m =
      "From: a@example.jp\nSubject: files\nDate: Wed, 2 Dec 2026 08:30:00\n"
      "Content-Type: multipart/mixed; boundary=\"XX\"\n\n--XX\n"
      "Content-Type: text/plain; charset=US-ASCII\n\nsee the files\n";
  for (const std::string& name : names) {
    m += "--XX\nContent-Type: application/octet-stream; name=\"" + name +
         "\"\nContent-Transfer-Encoding: base64\nContent-Disposition: attachment; filename=\"" +
         name + "\"\n\nYWxwaGEK\n";
  }
  if (html_part) m += "--XX\nContent-Type: text/html\n\n<p>see the files</p>\n";
  return m + "--XX--\n";
}

class MakeNewMailTest : public MailTest {
 protected:
  NewMail Make(const std::string& lf_mail) {
    MailDrop drop{store, log, data_dir(), attach_dir(), nullptr};
    return MakeNewMail(drop, 1, Crlf(lf_mail));
  }
};

TEST_F(MakeNewMailTest, HtmlIsNeverSavedAndNamesFromTheMailStayUniqueInTheAttachmentDirectory) {
  ASSERT_TRUE(Make(WithAttachments({"page.html", "PAGE.HTM"}, true)).stored);
  EXPECT_EQ(Col(0, MastCol::kAttachments), "");
  EXPECT_FALSE(std::filesystem::exists(attach_dir() / "page.html"));

  ASSERT_TRUE(Make(WithAttachments({"a.txt", "a.txt"})).stored);
  ASSERT_TRUE(Make(WithAttachments({"a.txt", "a.txt"})).stored);  // a.txt, a_01.txt taken
  EXPECT_EQ(Col(2, MastCol::kAttachments), "MailTenpu;a_02.txt;a_03.txt");

  ASSERT_TRUE(Make(WithAttachments({"../../evil.txt", ".profile"})).stored);
  // Both files lie in the attachment directory, under the names the column lists.
  std::string rest = Col(3, MastCol::kAttachments), name;
  SplitToken(";", rest, name);
  EXPECT_EQ(name, "MailTenpu");
  int files = 0;
  for (SplitToken(";", rest, name); !name.empty(); SplitToken(";", rest, name), ++files) {
    EXPECT_EQ(name.find('/'), std::string::npos) << name;
    EXPECT_NE(name.front(), '.') << name;
    EXPECT_EQ(ReadFileBytes(attach_dir() / name), "alpha\n");
  }
  EXPECT_EQ(files, 2);
  size_t outside = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path())) {
    outside += e.is_regular_file() && e.path().parent_path() != attach_dir() &&
               e.path().parent_path() != data_dir();
  }
  EXPECT_EQ(outside, 0u);
}

TEST_F(MakeNewMailTest, AMissingDateGivesTheReceiveTime) {
  const std::string before = FormatLocalTime(std::time(nullptr), "%Y/%m/%d %H:%M:%S");
  ASSERT_TRUE(Make(Mail("undated", "x\n", "<u@example.jp>", "")).stored);
  const std::string after = FormatLocalTime(std::time(nullptr), "%Y/%m/%d %H:%M:%S");
  EXPECT_GE(Col(0, MastCol::kSendDate), before);
  EXPECT_LE(Col(0, MastCol::kSendDate), after);
}

}  // namespace
}  // namespace sorami
