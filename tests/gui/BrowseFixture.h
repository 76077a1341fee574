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

#include "base/ui/QtText.h"
#include "gui/GuiFixture.h"
#include "store/MasterFile.h"
#include "views/MessageList.h"

namespace sorami::test {

// A record to append; texts are UTF-8.
struct Rec {
  std::string title{};
  std::string folder = "受信箱";
  std::string sender = "s";
  std::string date{};
  std::string read_date = "(未読)";
  std::string body{};
  std::string to{};
  std::string to_list{};
  std::string category{};
  std::string cc{};
  std::string bcc{};
};

class BrowseFixture : public GuiFixture {
 protected:
  // Shows the window on an empty store.
  void SetUp() override { StartAndShow(); }

  int32_t Add(const Rec& r) {
    MastFields f;
    f[MastCol::kTitle] = J(r.title);
    f[MastCol::kFolder] = J(r.folder);
    f[MastCol::kSender] = J(r.sender);
    f[MastCol::kDate] = r.date;
    f[MastCol::kReadDate] = J(r.read_date);
    f[MastCol::kBody] = J(r.body);
    f[MastCol::kTo] = J(r.to);
    f[MastCol::kToList] = J(r.to_list);
    f[MastCol::kCategory] = J(r.category);
    f[MastCol::kCc] = J(r.cc);
    f[MastCol::kBcc] = J(r.bcc);
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
    main->CountKensuu();
    ClickNode(node);
  }

  QTreeWidget* Tree() { return Find<QTreeWidget>(main, "TreeV"); }
  QTreeView* List() { return Find<QTreeView>(main, "LViewData"); }
  QTreeView* Counts() { return Find<QTreeView>(main, "ListV"); }

  void ClickNode(int index) {
    int i = 0;
    for (QTreeWidgetItemIterator it(Tree()); *it; ++it, ++i) {
      if (i != index) continue;
      const QRect r = Tree()->visualItemRect(*it);
      QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, r.center());
      return;
    }
    ADD_FAILURE() << "no tree node " << index;
  }
  void ClickRow(int row, Qt::KeyboardModifiers mods = {}) {
    const QModelIndex at = List()->model()->index(row, 0);
    ASSERT_TRUE(at.isValid()) << row;
    List()->scrollTo(at);
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, mods, List()->visualRect(at).center());
  }
  void ClickHeader(ListCol c) {
    const int column = ListColIndex(c);
    QHeaderView* h = List()->header();
    const QPoint at(h->sectionViewportPosition(column) + h->sectionSize(column) / 2,
                    h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
  }
  void ClickCountRow(int row) {
    const QModelIndex at = Counts()->model()->index(row, 0);
    ASSERT_TRUE(at.isValid()) << row;
    QTest::mouseClick(Counts()->viewport(), Qt::LeftButton, {}, Counts()->visualRect(at).center());
  }

  // The texts of one list column, top to bottom.
  std::vector<std::string> Column(ListCol c) {
    const int col = ListColIndex(c);
    std::vector<std::string> out;
    const auto* m = List()->model();
    for (int r = 0; r < m->rowCount(); ++r) {
      out.push_back(m->index(r, col).data().toString().toStdString());
    }
    return out;
  }
  std::vector<std::string> Titles() { return Column(ListCol::kTitle); }
  // The selected list rows' titles, top to bottom.
  std::vector<std::string> SelectedTitles() {
    std::vector<std::string> out;
    const auto* m = List()->model();
    for (int r = 0; r < m->rowCount(); ++r) {
      if (List()->selectionModel()->isRowSelected(r, {})) {
        out.push_back(m->index(r, ListColIndex(ListCol::kTitle)).data().toString().toStdString());
      }
    }
    return out;
  }
  // The count list as "caption=count" per row.
  std::vector<std::string> CountTexts() {
    std::vector<std::string> out;
    const auto* m = Counts()->model();
    for (int r = 0; r < m->rowCount(); ++r) {
      out.push_back(m->index(r, 0).data().toString().toStdString() + "=" +
                    m->index(r, 1).data().toString().toStdString());
    }
    return out;
  }
  std::string Label(const char* name) { return Find<QLabel>(main, name)->text().toStdString(); }
  std::string Folder(int32_t row) { return Cp932ToUtf8(st->store.Get(row, MastCol::kFolder)); }
  std::string Status() { return main->StatusText().toStdString(); }
};

}  // namespace sorami::test
