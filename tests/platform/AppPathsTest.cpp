#include <gtest/gtest.h>

#include <map>

#include "platform/AppPaths.h"
#include "support/Scratch.h"

namespace sorami {
namespace {

EnvLookup Env(std::map<std::string, std::string> vars) {
  return [vars](const char* name) -> std::optional<std::string> {
    auto it = vars.find(name);
    if (it == vars.end()) return std::nullopt;
    return it->second;
  };
}

TEST(AppPaths, OptionsWinOverTheEnvironmentWhichWinsOverPortableAndUserDirectories) {
  test::ScratchDir exe;
  std::filesystem::create_directory(exe / "Data");
  const auto env = Env({{"SORAMI_HOME", "/home-env"},
                        {"SORAMI_CONFIG_HOME", "/cfg-env"},
                        {"HOME", "/home/u"},
                        {"XDG_DATA_HOME", "/xdg-data"}});

  PathOptions opts{"/opt-app", "/opt-cfg"};
  AppPaths p = ResolveAppPaths(opts, exe.path(), env);
  EXPECT_EQ(p.app_dir, "/opt-app");
  EXPECT_EQ(p.config_dir, "/opt-cfg");
  EXPECT_EQ(p.DataDir(), "/opt-app/Data");

  p = ResolveAppPaths({}, exe.path(), env);
  EXPECT_EQ(p.app_dir, "/home-env");
  EXPECT_EQ(p.config_dir, "/cfg-env");
  EXPECT_FALSE(p.portable);

  p = ResolveAppPaths({}, exe.path(), Env({{"HOME", "/home/u"}}));
  EXPECT_EQ(p.app_dir, exe.path());  // a Data folder beside the program: portable mode
  EXPECT_TRUE(p.portable);
  // ...which keeps its settings and key in its Data folder too, unless told otherwise.
  EXPECT_EQ(p.config_dir, exe / "Data" / "Settings");
  EXPECT_EQ(p.KeyFile(), exe / "Data" / "Settings" / "master.key");
  p = ResolveAppPaths({}, exe.path(), Env({{"HOME", "/home/u"}, {"SORAMI_CONFIG_HOME", "/c"}}));
  EXPECT_TRUE(p.portable);
  EXPECT_EQ(p.config_dir, "/c");
  p = ResolveAppPaths({std::nullopt, "/opt-cfg"}, exe.path(), Env({{"HOME", "/home/u"}}));
  EXPECT_EQ(p.config_dir, "/opt-cfg");

  p = ResolveAppPaths({}, exe / "Data" / "nowhere",
                      Env({{"HOME", "/home/u"}, {"XDG_DATA_HOME", "/xdg-data"}}));
  EXPECT_EQ(p.app_dir, "/xdg-data/sorami");
  p = ResolveAppPaths({}, exe / "Data" / "nowhere",
                      Env({{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/xdg-cfg"}}));
  EXPECT_EQ(p.app_dir, "/home/u/.local/share/sorami");
  EXPECT_EQ(p.config_dir, "/xdg-cfg/sorami");
}

// The installed help topics: share/sorami/help beside the programs' bin/, wherever the tree
// was put; none for a build tree.
TEST(AppPaths, TheInstalledHelpTopicsAreFoundFromTheProgramsFolder) {
  test::ScratchDir root;
  const auto bin = root / "usr" / "bin";
  std::filesystem::create_directories(bin);
  EXPECT_TRUE(InstalledHelpDir(bin).empty());  // a build tree
  EXPECT_TRUE(InstalledHelpDir({}).empty());   // the program's folder unknown

  std::filesystem::create_directories(root / "usr" / "share" / "sorami");
  test::WriteFileBytes(root / "usr" / "share" / "sorami" / "help", "");  // a file, no folder
  EXPECT_TRUE(InstalledHelpDir(bin).empty());
  std::filesystem::remove(root / "usr" / "share" / "sorami" / "help");

  std::filesystem::create_directories(root / "usr" / "share" / "sorami" / "help");
  EXPECT_EQ(InstalledHelpDir(bin), root / "usr" / "share" / "sorami" / "help");  // no "bin/.."
  EXPECT_EQ(InstalledHelpDir(bin / ""), root / "usr" / "share" / "sorami" / "help");
}

// Messages, mail, attachments and logs are the user's alone: what an older run left readable
// is closed, and what is written from then on is created private.
TEST(AppPaths, TheDataFoldersAndEverythingInThemArePrivateToTheUser) {
  namespace fs = std::filesystem;
  test::ScratchDir root;
  const auto mode = [](const fs::path& p) {
    return fs::symlink_status(p).permissions() & fs::perms::mask;
  };
  const fs::path data = root / "Data", attach = root / "ATTACH", outside = root / "other";
  fs::create_directories(attach / "sub");
  fs::create_directories(data);
  for (const fs::path& f : {data / "Recv.log", attach / "sub" / "a.txt", outside}) {
    test::WriteFileBytes(f, "x");
    fs::permissions(f, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
  }
  for (const fs::path& d : {data, attach, attach / "sub"}) {
    fs::permissions(d, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                           fs::perms::others_read | fs::perms::others_exec);
  }
  fs::create_symlink(outside, attach / "link");

  KeepPrivate({data, attach, root / "missing"});
  EXPECT_EQ(mode(data), fs::perms::owner_all);
  EXPECT_EQ(mode(attach), fs::perms::owner_all);
  EXPECT_EQ(mode(attach / "sub"), fs::perms::owner_all);
  const fs::perms rw = fs::perms::owner_read | fs::perms::owner_write;
  EXPECT_EQ(mode(data / "Recv.log"), rw);
  EXPECT_EQ(mode(attach / "sub" / "a.txt"), rw);
  EXPECT_NE(mode(outside) & fs::perms::others_read, fs::perms::none);  // not followed

  test::WriteFileBytes(attach / "new.bin", "y");  // written as a download writes it
  fs::create_directories(data / "newdir");
  EXPECT_EQ(mode(attach / "new.bin"), rw);
  EXPECT_EQ(mode(data / "newdir"), fs::perms::owner_all);
}

}  // namespace
}  // namespace sorami
