// The models of the message list and the count list under QAbstractItemModelTester, which
// checks every signal and index they hand to the views while they are filled, sorted and
// shrunk.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QTreeView>

#include "support/AppFixture.h"
#include "views/FolderTree.h"
#include "views/ui/FolderCountModel.h"
#include "views/ui/MessageListModel.h"

namespace sorami::test {
namespace {

// Counts the tester's complaints (it reports through qWarning in this mode).
int g_failures = 0;
void CountFailures(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type != QtDebugMsg && text.contains(QStringLiteral("FAIL"))) ++g_failures;
}

class ListModelsTest : public AppTest {
 protected:
  ListModelsTest() {
    g_failures = 0;
    previous_ = qInstallMessageHandler(CountFailures);
  }
  ~ListModelsTest() override { qInstallMessageHandler(previous_); }

  QtMessageHandler previous_ = nullptr;
};

TEST_F(ListModelsTest, TheMessageListModelStaysConsistentThroughFillSortAndRemove) {
  for (const char* t : {"b", "d", "a", "c", "e"}) Add("", t, "受信箱", "body of " + std::string(t));
  Add("", "gone", "削除済み");
  MessageListModel model(st->store);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
  QTreeView view;
  view.setModel(&model);
  view.setSelectionMode(QAbstractItemView::ExtendedSelection);

  const int kTitle = ListColIndex(ListCol::kTitle);
  auto title = [&](int row) { return model.index(row, kTitle).data().toString(); };
  model.Fill(0, "");
  ASSERT_EQ(model.rowCount(), 5);
  EXPECT_EQ(title(2), QStringLiteral("a"));
  EXPECT_EQ(model.index(2, 0).data(MessageListModel::kRecordRole).toInt(), 2);
  EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);

  // Selected "a" and "c"; after the sort they are still the selected records.
  view.selectionModel()->select(model.index(2, 0),
                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
  view.selectionModel()->select(model.index(3, 0),
                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
  view.selectionModel()->setCurrentIndex(model.index(3, 0), QItemSelectionModel::NoUpdate);
  model.ColumnClick(kTitle);  // e d c b a
  EXPECT_EQ(title(0), QStringLiteral("e"));
  QStringList selected;
  for (const QModelIndex& i : view.selectionModel()->selectedRows(kTitle))
    selected << i.data().toString();
  selected.sort();
  EXPECT_EQ(selected.join(','), QStringLiteral("a,c"));
  EXPECT_EQ(view.currentIndex().row(), 2);  // "c"

  model.RemoveRows({4, 0, 2});
  EXPECT_EQ(model.rowCount(), 2);
  EXPECT_EQ(title(0) + title(1), QStringLiteral("db"));
  st->store.Set(1, MastCol::kTitle, "D");  // the store tells the model
  EXPECT_EQ(title(0), QStringLiteral("D"));

  // Read again (here: emptied), the list shows the folder as the store now holds it.
  st->store.Clear();
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(g_failures, 0);
}

TEST_F(ListModelsTest, NewRecordsOfTheListedFolderJoinItsEndAndASearchResultTakesNone) {
  Add("", "old", "受信箱");
  MessageListModel model(st->store);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
  const int kTitle = ListColIndex(ListCol::kTitle);
  model.Fill(1, Utf8ToCp932("受信箱"));
  Add("", "filed", "重要");
  Add("", "new", "受信箱");
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.index(1, kTitle).data().toString(), QStringLiteral("new"));
  EXPECT_EQ(model.index(1, 0).data(MessageListModel::kRecordRole).toInt(), 2);

  model.ShowRows({1});
  Add("", "later", "重要");
  EXPECT_EQ(model.rowCount(), 1);
  st->store.Clear();  // the records of a search are gone with the store
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(g_failures, 0);
}

TEST_F(ListModelsTest, TheCountModelFollowsEveryChangeOfTheStore) {
  Add("", "a", "受信箱");
  FolderCountModel model(st->store);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
  model.SetNodes(SystemNodeTexts());
  ASSERT_EQ(model.rowCount(), 6);
  auto counts = [&] {
    QStringList c;
    for (int r = 0; r < model.rowCount(); ++r) c << model.index(r, 1).data().toString();
    return c.join(',');
  };
  EXPECT_EQ(counts(), QStringLiteral("1 件,0 件,0 件,0 件,0 件,0 件"));
  EXPECT_TRUE(model.index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
              Qt::AlignRight);

  Add("", "b", "重要");
  st->store.Set(0, MastCol::kFolder, Utf8ToCp932("既読"));
  st->store.Set(0, MastCol::kTitle, Utf8ToCp932("重要"));  // another column: no folder changes
  EXPECT_EQ(counts(), QStringLiteral("0 件,1 件,0 件,0 件,1 件,0 件"));
  st->store.Clear();
  EXPECT_EQ(counts(), QStringLiteral("0 件,0 件,0 件,0 件,0 件,0 件"));
  // Changes between a new store and the next look are counted once.
  st->store.Clear();
  Add("", "c", "受信箱");
  Add("", "d", "受信箱");
  st->store.Set(1, MastCol::kFolder, Utf8ToCp932("重要"));
  EXPECT_EQ(counts(), QStringLiteral("1 件,0 件,0 件,0 件,1 件,0 件"));
  EXPECT_EQ(g_failures, 0);
}

}  // namespace
}  // namespace sorami::test
