#include <gtest/gtest.h>

#include "platform/IniStore.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

using test::ReadFileBytes;
using test::ScratchDir;
using test::WriteFileBytes;

TEST(Registry, KeysMapToIniFilesUnderTheConfigurationDirectory) {
  Registry reg("/cfg");
  EXPECT_EQ(reg.PathOf(kCommonKey), std::filesystem::path("/cfg/SoftWare/HKW/Common.ini"));
  EXPECT_EQ(reg.PathOf(kMemoKey), std::filesystem::path("/cfg/Sorami.ini"));
  EXPECT_EQ(reg.PathOf("\\..\\..\\etc\\passwd"), std::filesystem::path("/cfg/etc/passwd.ini"));
}

TEST(IniStore, AbsentOrUnreadableValuesGiveTheDefault) {
  ScratchDir dir;
  WriteFileBytes(dir / "a.ini", "[Setting]\r\nnum=12x\r\nempty=\r\nneg= -7 \r\nflag=0\r\n");
  IniStore ini(dir / "a.ini");
  EXPECT_EQ(ini.ReadInteger("Setting", "num", 3), 3);  // not a number
  EXPECT_EQ(ini.ReadInteger("Setting", "empty", 4), 4);
  EXPECT_EQ(ini.ReadString("Setting", "empty", "d"), "");  // present but empty is a value
  EXPECT_EQ(ini.ReadInteger("Setting", "neg", 0), -7);
  EXPECT_FALSE(ini.ReadBool("Setting", "flag", true));
  EXPECT_EQ(ini.ReadString("Window", "num", "other section"), "other section");
}

TEST(IniStore, NamesAndSectionsIgnoreCaseAndWritesReplaceInPlace) {
  ScratchDir dir;
  IniStore ini(dir / "c.ini");
  ini.WriteInteger("Setting", "fmKairo.PageCOn", 2);
  EXPECT_EQ(ini.ReadInteger("setting", "fmKairo.PageCon", 0), 2);
  ini.WriteInteger("SETTING", "FMKAIRO.PAGECON", 1);
  ASSERT_TRUE(ini.Save());
  EXPECT_EQ(ReadFileBytes(dir / "c.ini"), "[Setting]\r\nfmKairo.PageCOn=1\r\n\r\n");
}

TEST(IniStore, ValuesRoundTripAsCodePage932BytesWithCrLfLines) {
  ScratchDir dir;
  const std::string sjis = "\x83\x5C\x83\x89\x83\x7E";  // ソラミ: 0x5C inside
  {
    IniStore ini(dir / "sub" / "k.ini");
    ini.WriteString("Setting", "fmKairo.curSite", sjis);
    ini.WriteString("Setting", "eq", "a=b");
    ini.WriteString("Setting", "inject", "x\r\n[Window]\r\nfmKairo.Left=9");
    ini.WriteBool("Window", "b", true);
    ASSERT_TRUE(ini.Save());
  }
  IniStore back(dir / "sub" / "k.ini");
  EXPECT_EQ(back.ReadString("Setting", "fmKairo.curSite", ""), sjis);
  EXPECT_EQ(back.ReadString("Setting", "eq", ""), "a=b");
  EXPECT_EQ(back.ReadInteger("Window", "fmKairo.Left", 45), 45);  // a value cannot add lines
  EXPECT_TRUE(back.ReadBool("Window", "b", false));

  WriteFileBytes(dir / "lf.ini", "[Window]\nfmKairo.Top=48\n");  // LF alone is read too
  EXPECT_EQ(IniStore(dir / "lf.ini").ReadInteger("Window", "fmKairo.Top", 0), 48);
}

TEST(IniStore, AFailedSaveReportsFalse) {
  ScratchDir dir;
  std::filesystem::create_directories(dir / "k.ini" / "occupied");  // cannot be replaced
  IniStore ini(dir / "k.ini");
  ini.WriteString("S", "v", "new");
  EXPECT_FALSE(ini.Save());
  EXPECT_TRUE(std::filesystem::is_directory(dir / "k.ini" / "occupied"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace sorami
