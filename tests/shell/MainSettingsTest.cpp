#include <gtest/gtest.h>

#include "shell/LogWindowSettings.h"
#include "shell/MainSettings.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

using test::ReadFileBytes;
using test::ScratchDir;
using test::WriteFileBytes;

TEST(ColumnWidths, ParseApplyAndFormatRoundTrip) {
  EXPECT_EQ(ParseColumnWidths(""), std::vector<long>{});
  // The last piece needs no ";"; an empty piece and a non-number become 0.
  EXPECT_EQ(ParseColumnWidths("80;;abc;7"), (std::vector<long>{80, 0, 0, 7}));
  EXPECT_EQ(ParseColumnWidths("-5; 12 ;"), (std::vector<long>{-5, 12}));
  // Stored entries replace only the first columns; entries beyond the last are ignored.
  EXPECT_EQ(FormatColumnWidths(ApplyColumnWidths({11, 22})), "11;22;100;100;100;40;50;50;50;40;");
  const std::vector<long> twelve(12, 9);
  EXPECT_EQ(FormatColumnWidths(ApplyColumnWidths(twelve)), "9;9;9;9;9;9;9;9;9;9;");
  ListColumnWidths w = kDesignColumnWidths;
  w[8] = 1;
  EXPECT_EQ(ApplyColumnWidths(ParseColumnWidths(FormatColumnWidths(w))), w);
}

TEST(MainSettings, UnreadableNumbersFallBackToTheirDefaultsOneByOne) {
  ScratchDir dir;
  WriteFileBytes(dir / "c.ini",
                 "[Window]\r\nfmKairo.Left=abc\r\nfmKairo.Top=7\r\n"
                 "[Setting]\r\nfmKairo.CkStop=x\r\nfmKairo.SpInterval=\r\n"
                 "FMKAIRO.PANELLIST=99\r\n");
  MainSettings m;
  m.Load(IniStore(dir / "c.ini"), "/opt/sorami/Help");
  EXPECT_EQ(m.window, (WindowGeometry{45, 7, 827, 561}));
  EXPECT_EQ(m.doc_root, "/opt/sorami/Help");  // absent: the application's help folder
  EXPECT_TRUE(m.polling_stopped);
  EXPECT_TRUE(m.notify_new);  // announced unless switched off
  EXPECT_EQ(m.polling_minutes, 0);
  EXPECT_EQ(m.panel_list, 99);  // names are compared without regard to case
}

TEST(MainSettings, SaveAndLoadRoundTripAndTheCurrentHostIsWrittenOnly) {
  ScratchDir dir;
  MainSettings m;
  m.window = {10, 20, 700, 500};
  m.polling_stopped = false;
  m.polling_minutes = 5;
  m.left_tab = 2;
  m.site = "\x83\x5C\x83\x89";  // ソラ: the second byte of ソ is a backslash
  m.column_widths = {81, 101, 102, 103, 104, 41, 51, 52, 1, 42};
  m.host = "h.example";
  m.notify_new = false;
  IniStore out(dir / "c.ini");
  m.Save(out);
  ASSERT_TRUE(out.Save());
  const std::string text = ReadFileBytes(dir / "c.ini");
  EXPECT_NE(text.find("\r\nfmKairo.PageCOn=2\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nfmKairo.curHost=h.example\r\n"), std::string::npos);

  MainSettings back;
  back.Load(IniStore(dir / "c.ini"), "unused");
  EXPECT_EQ(back.window, m.window);
  EXPECT_FALSE(back.polling_stopped);
  EXPECT_EQ(back.polling_minutes, 5);
  EXPECT_EQ(back.left_tab, m.left_tab);  // written "PageCOn", read "PageCon"
  EXPECT_EQ(back.site, m.site);
  EXPECT_EQ(back.column_widths, m.column_widths);
  EXPECT_EQ(back.host, "");
  EXPECT_FALSE(back.notify_new);
}

TEST(LogWindow, ALogThatCannotBeSavedIsReported) {
  test::ScratchDir dir;
  DiagLog log;
  std::string status;
  EXPECT_FALSE(SaveDiagLog(log, dir / "missing" / "Logfile.log", status));
  EXPECT_EQ(status, "ERR Logfile.log");
}

}  // namespace
}  // namespace sorami
