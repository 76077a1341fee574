#include <gtest/gtest.h>

#include "shell/LogWindowSettings.h"
#include "shell/MainSettings.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

using test::ReadFileBytes;
using test::ScratchDir;
using test::WriteFileBytes;

TEST(ColumnWidths, ParseTakesEachPieceBeforeASemicolonAndNonNumbersReadAsZero) {
  EXPECT_EQ(ParseColumnWidths(""), std::vector<long>{});
  EXPECT_EQ(ParseColumnWidths("80;120;"), (std::vector<long>{80, 120}));
  // The last piece needs no ";"; an empty piece and a non-number become 0.
  EXPECT_EQ(ParseColumnWidths("80;;abc;7"), (std::vector<long>{80, 0, 0, 7}));
  EXPECT_EQ(ParseColumnWidths("-5; 12 ;"), (std::vector<long>{-5, 12}));
}

TEST(ColumnWidths, StoredEntriesReplaceOnlyTheFirstColumnsAndExtraEntriesAreIgnored) {
  EXPECT_EQ(FormatColumnWidths(ApplyColumnWidths({11, 22})), "11;22;100;100;100;40;50;50;50;40;");

  std::vector<long> twelve(12, 9);
  const ListColumnWidths all = ApplyColumnWidths(twelve);
  for (long w : all) EXPECT_EQ(w, 9);
}

TEST(ColumnWidths, FormatWritesEveryColumnFollowedByASemicolonAndParsesBack) {
  ListColumnWidths w = kDesignColumnWidths;
  w[8] = 1;
  const std::string text = FormatColumnWidths(w);
  EXPECT_EQ(text, "80;100;100;100;100;40;50;50;1;40;");
  EXPECT_EQ(ApplyColumnWidths(ParseColumnWidths(text)), w);
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
  EXPECT_EQ(m.polling_minutes, 0);
  EXPECT_EQ(m.panel_list, 99);  // names are compared without regard to case
}

TEST(MainSettings, SaveWritesEveryValueInItsOrderAndLoadReadsItBack) {
  ScratchDir dir;
  MainSettings m;
  m.window = {10, 20, 700, 500};
  m.polling_stopped = false;
  m.polling_minutes = 5;
  m.panel_list = 150;
  m.panel_tree = 120;
  m.left_tab = 2;
  m.last_check = "2024/01/02 03:04:05";
  m.site = "\x83\x5C\x83\x89";  // ソラ: the second byte of ソ is a backslash
  m.account = "nick";
  m.leave_on_site = true;
  m.debug_menus = false;
  m.column_widths = {81, 101, 102, 103, 104, 41, 51, 52, 1, 42};
  m.doc_root = "/data/Help";
  m.host = "h.example";
  m.pass = "secret";
  m.user = "u1";
  IniStore out(dir / "c.ini");
  m.Save(out);
  ASSERT_TRUE(out.Save());

  // Every value, in the order the window has always written them.
  std::vector<std::string> values;
  std::string text = ReadFileBytes(dir / "c.ini");
  for (size_t start = 0, end; start < text.size(); start = end + 2) {
    end = text.find("\r\n", start);
    const std::string line = text.substr(start, end - start);
    if (line.find('=') != std::string::npos) values.push_back(line);
  }
  EXPECT_EQ(values, (std::vector<std::string>{
                        "fmKairo.Left=10",
                        "fmKairo.Top=20",
                        "fmKairo.Width=700",
                        "fmKairo.Height=500",
                        "fmKairo.CkStop=0",
                        "fmKairo.CkNokosu=1",
                        "fmKairo.Debug=0",
                        "fmKairo.SpInterval=5",
                        "fmKairo.PanelList=150",
                        "fmKairo.PanelTree=120",
                        "fmKairo.PageCOn=2",
                        "fmKairo.LabelJikoku=2024/01/02 03:04:05",
                        "fmKairo.LViewWidth=81;101;102;103;104;41;51;52;1;42;",
                        "fmKairo.curHost=h.example",
                        "fmKairo.curSite=\x83\x5C\x83\x89",
                        "fmKairo.curAccount=nick",
                        "fmKairo.curPass=secret",
                        "fmKairo.curUser=u1",
                        "fmKairo.glDocRoot=/data/Help",
                    }));
  EXPECT_NE(text.find("[Window]"), std::string::npos);
  EXPECT_LT(text.find("[Window]"), text.find("[Setting]"));

  MainSettings back;
  back.Load(IniStore(dir / "c.ini"), "unused");
  EXPECT_EQ(back.window, m.window);
  EXPECT_EQ(back.left_tab, m.left_tab);  // written "PageCOn", read "PageCon"
  EXPECT_EQ(back.site, m.site);
  EXPECT_EQ(back.column_widths, m.column_widths);
  EXPECT_EQ(back.host, "");  // the current account's host is written only
}

TEST(LogWindowSettings, RoundTripUnderItsOwnNames) {
  LogWindowSettings s;
  s.window = {1, 2, 3, 4};
  s.yokushi = true;
  IniStore out;
  s.Save(out);
  EXPECT_EQ(out.ReadInteger("Window", "fmFormMemo.Height", 0), 4);
  EXPECT_TRUE(out.ReadBool("Setting", "fmFormMemo.Yokushi", false));
  LogWindowSettings back;
  back.Load(out);
  EXPECT_EQ(back.window, s.window);
  EXPECT_TRUE(back.yokushi);
}

TEST(WindowGeometry, PositionOnlyReadKeepsTheDesignSize) {
  IniStore ini;
  WriteWindowGeometry(ini, "fmKairoSettei", {5, 6, 700, 800});
  const WindowGeometry g = ReadWindowPosition(ini, "fmKairoSettei", {1, 2, 300, 200});
  EXPECT_EQ(g, (WindowGeometry{5, 6, 300, 200}));
  EXPECT_EQ(ReadWindowGeometry(ini, "fmKairoSettei", {}), (WindowGeometry{5, 6, 700, 800}));
}

}  // namespace
TEST(LogWindow, SavingTheLogWritesEveryLineWithCrLfAndReportsTheOutcome) {
  test::ScratchDir dir;
  DiagLog log([] { return std::time_t{0}; });
  log.Attach();
  log.Log("one");
  std::string status;
  ASSERT_TRUE(SaveDiagLog(log, dir / "Logfile.log", status));
  EXPECT_EQ(status, "OK Logfile.log");
  EXPECT_EQ(test::ReadFileBytes(dir / "Logfile.log"),
            "MemoLog\r\n" + DiagLog::TimePrefix(0) + "one\r\n");

  log.Clear();
  ASSERT_TRUE(SaveDiagLog(log, dir / "Logfile.log", status));  // saving again overwrites
  EXPECT_EQ(test::ReadFileBytes(dir / "Logfile.log"), "");

  EXPECT_FALSE(SaveDiagLog(log, dir / "missing" / "Logfile.log", status));
  EXPECT_EQ(status, "ERR Logfile.log");
}

}  // namespace sorami
