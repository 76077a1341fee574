// The help pane: topics from the list and the menu, the help directory found again, history.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTextEdit>
#include <QTreeWidget>

#include "gui/BrowseFixture.h"
#include "views/HelpFiles.h"

namespace sorami::test {
namespace {

class HelpPaneTest : public BrowseFixture {
 protected:
  // The project's help files, put where an installed program keeps them.
  void InstallHelp() {
    const auto source =
        std::filesystem::path(std::getenv("SORAMI_TEST_DATA")) / ".." / ".." / "help";
    std::filesystem::create_directories(dir_ / "app" / "Help");
    for (const auto& e : std::filesystem::directory_iterator(source)) {
      if (e.path().extension() == ".rtf") {
        std::filesystem::copy_file(e.path(), dir_ / "app" / "Help" / e.path().filename());
      }
    }
  }
  QString HelpText() { return Find<QTextEdit>(main, "RichHelp")->toPlainText(); }
};

TEST_F(HelpPaneTest, EveryTopicShowsInJapaneseAndAWrongHelpDirectoryIsReplacedAndSaved) {
  InstallHelp();
  st->doc_root = "/nowhere/Help";
  auto* list = Find<QTreeWidget>(main, "LvHelp");
  ASSERT_EQ(list->topLevelItemCount(), 14);
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    list->setCurrentItem(list->topLevelItem(i));
    EXPECT_EQ(Label("StatusPanel"), "") << i;  // no "Cannot Read:"
    // The topic's name is in its text ("設定(メール)" speaks of メール).
    const QString topic = list->topLevelItem(i)->text(0);
    EXPECT_TRUE(HelpText().contains(topic.section(QLatin1Char('('), -1).remove(QLatin1Char(')'))))
        << topic.toStdString();
  }
  EXPECT_EQ(st->doc_root, PathText(dir_ / "app" / "Help"));
  main->close();  // the directory found is kept for the next run
  EXPECT_EQ(Stored(kCommonKey).ReadString("Setting", "fmKairo.glDocRoot", ""),
            PathText(dir_ / "app" / "Help"));
}

TEST_F(HelpPaneTest, TopicsChosenGoIntoTheHistoryAndAMissingTopicIsReported) {
  InstallHelp();
  Add({.title = "a message", .read_date = "x"});
  ClickNode(1);
  st->history = {};
  Action(main, "MenuGaiyou")->trigger();
  Action(main, "N20")->trigger();  // "設定(アカウント設定)"
  EXPECT_TRUE(HelpText().contains(QStringLiteral("アカウント")));
  Action(main, "N1")->trigger();
  ClickRow(0);
  ASSERT_EQ(st->history.entries.size(), 4u);
  EXPECT_EQ(st->history.entries[1], "\t" + J("設定(アカウント設定)"));
  Find<QPushButton>(main, "BtBack")->click();  // the last help topic again, no new entry
  EXPECT_TRUE(HelpText().contains(QStringLiteral("用語")));
  EXPECT_EQ(st->history.entries.size(), 4u);

  // A topic file that cannot be read is reported with its path.
  EXPECT_FALSE(Browser().ShowHelp(false, "x", "/nonexistent/x.rtf"));
  EXPECT_EQ(Label("StatusPanel"), "Cannot Read:/nonexistent/x.rtf");
}

}  // namespace
}  // namespace sorami::test
