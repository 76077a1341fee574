// A run of the main window over a store made in the test, with helpers that click the tree,
// the list, its headers and the count list the way a user does (offscreen mouse events).
#pragma once

#include <QHeaderView>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <string>
#include <vector>

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
  std::string sender = "s";
  std::string date{};
  std::string read_date = "(未読)";
  std::string body{};
  std::string to{}, to_list{}, category{}, cc{}, bcc{};
};

class BrowseFixture : public GuiFixture {
 protected:
  // Shows the window on an empty store.
  void SetUp() override { StartAndShow(); }

  MessageBrowser& Browser() { return main->browser(); }
  int32_t Add(const Rec& r) {
    MastFields f;
    const std::pair<MastCol, const std::string*> texts[] = {{MastCol::kTitle, &r.title},
                                                            {MastCol::kFolder, &r.folder},
                                                            {MastCol::kSender, &r.sender},
                                                            {MastCol::kDate, &r.date},
                                                            {MastCol::kReadDate, &r.read_date},
                                                            {MastCol::kBody, &r.body},
                                                            {MastCol::kTo, &r.to},
                                                            {MastCol::kToList, &r.to_list},
                                                            {MastCol::kCategory, &r.category},
                                                            {MastCol::kCc, &r.cc},
                                                            {MastCol::kBcc, &r.bcc}};
    for (const auto& [col, text] : texts) f[col] = J(*text);
    AddMaster(st->store, st->log, false, f);
    return st->store.CtMaster() - 1;
  }
  // Records with these titles in the inbox, then the inbox listed and the counts rebuilt.
  void Inbox(std::initializer_list<const char*> titles) {
    for (const char* t : titles) Add({.title = t});
    Refresh(1);
  }
  // After records were added behind the window's back: recount and list a node.
  void Refresh(int node) {
    Browser().CountKensuu();
    ClickNode(node);
  }

  QTreeWidget* Tree() { return Find<QTreeWidget>(main, "TreeV"); }
  QTreeView* List() { return Find<QTreeView>(main, "LViewData"); }
  QTreeView* Counts() { return Find<QTreeView>(main, "ListV"); }

  void ClickNode(int index) {
    int i = 0;
    for (QTreeWidgetItemIterator it(Tree()); *it; ++it, ++i) {
      if (i != index) continue;
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
  // The count list as "caption=count" per row.
  Strings CountTexts() {
    Strings out;
    const auto* m = Counts()->model();
    for (int r = 0; r < m->rowCount(); ++r) {
      out.push_back(m->index(r, 0).data().toString().toStdString() + "=" +
                    m->index(r, 1).data().toString().toStdString());
    }
    return out;
  }
  std::string Label(const char* name) { return Find<QLabel>(main, name)->text().toStdString(); }
  std::string Field(int32_t row, MastCol col) { return Cp932ToUtf8(st->store.Get(row, col)); }
  std::string Folder(int32_t row) { return Field(row, MastCol::kFolder); }
  std::string Status() { return main->StatusText().toStdString(); }
};

}  // namespace sorami::test
