// A run of the main window over a store made in the test, with helpers that click the tree,
// the list, its headers and the count list the way a user does (offscreen mouse events).
#pragma once

#include <QHeaderView>
#include <QTabWidget>
#include <QTreeView>
#include <QTreeWidgetItemIterator>

#include "gui/GuiFixture.h"
#include "store/MasterFile.h"
#include "views/MessageList.h"
#include "views/ui/MessageBrowser.h"

namespace sorami::test {

using Strings = std::vector<std::string>;

// A record to append; texts are UTF-8.
struct Rec {
  std::string title{};
  std::string folder = "受信箱";
  std::string read_date = "(未読)";
  std::string body{};
  std::string category{};
};

class BrowseFixture : public GuiFixture {
 protected:
  void SetUp() override { StartAndShow(); }  // on an empty store

  MessageBrowser& Browser() { return main->browser(); }
  int32_t Add(const Rec& r) {
    MastFields f;
    f[MastCol::kTitle] = J(r.title);
    f[MastCol::kFolder] = J(r.folder);
    f[MastCol::kSender] = "s";
    f[MastCol::kReadDate] = J(r.read_date);
    f[MastCol::kBody] = J(r.body);
    f[MastCol::kCategory] = J(r.category);
    AddMaster(st->store, st->log, false, f);
    return st->store.CtMaster() - 1;
  }
  QTreeWidget* Tree() { return Find<QTreeWidget>(main, "TreeV"); }
  QTreeView* List() { return Find<QTreeView>(main, "LViewData"); }
  // The count list, its tab "件数" brought to the front as the user does to read it.
  QTreeView* Counts() {
    Find<QTabWidget>(main, "PageCon")->setCurrentIndex(2);
    return Find<QTreeView>(main, "ListV");
  }

  void ClickNode(int index) {
    int i = 0;
    for (QTreeWidgetItemIterator it(Tree()); *it; ++it, ++i) {
      if (i != index) continue;
      Tree()->scrollToItem(*it);  // a node below the panel's height is scrolled to first
      QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {},
                        Tree()->visualItemRect(*it).center());
      return;
    }
    ADD_FAILURE() << "no tree node " << index;
  }
  static void ClickView(QTreeView* view, int row, Qt::KeyboardModifiers mods = {}) {
    const QModelIndex at = view->model()->index(row, 0);
    ASSERT_TRUE(at.isValid()) << row;
    view->scrollTo(at);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, mods, view->visualRect(at).center());
  }
  void ClickRow(int row, Qt::KeyboardModifiers mods = {}) { ClickView(List(), row, mods); }
  void ClickHeader(ListCol c) {
    const int column = ListColIndex(c);
    QHeaderView* h = List()->header();
    const QPoint at(h->sectionViewportPosition(column) + h->sectionSize(column) / 2,
                    h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
  }

  // The texts of one list column, top to bottom (only the selected rows when asked).
  Strings Column(ListCol c, bool selected_only = false) {
    Strings out;
    const auto* m = List()->model();
    for (int r = 0; r < m->rowCount(); ++r) {
      if (selected_only && !List()->selectionModel()->isRowSelected(r, {})) continue;
      out.push_back(m->index(r, ListColIndex(c)).data().toString().toStdString());
    }
    return out;
  }
  Strings Titles() { return Column(ListCol::kTitle); }
  Strings SelectedTitles() { return Column(ListCol::kTitle, true); }
  // The count shown for the folder of a count list row ("2 件").
  std::string CountOf(int row) {
    return Counts()->model()->index(row, 1).data().toString().toStdString();
  }
  std::string Label(const char* name) { return Find<QLabel>(main, name)->text().toStdString(); }
  std::string Field(int32_t row, MastCol col) { return Cp932ToUtf8(st->store.Get(row, col)); }
  std::string Folder(int32_t row) { return Field(row, MastCol::kFolder); }
  Strings Folders() { return StoreColumn(MastCol::kFolder); }
  std::string Status() { return main->StatusText().toStdString(); }
};

}  // namespace sorami::test
