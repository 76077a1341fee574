#include "views/ui/MessageBrowser.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTextEdit>
#include <QTreeView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <algorithm>

#include "base/ui/Named.h"
#include "base/ui/QtText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "views/FolderTree.h"
#include "views/HelpFiles.h"
#include "views/HelpText.h"
#include "views/ui/FolderCountModel.h"
#include "views/ui/MessageListModel.h"
#include "views/ui/MessagePane.h"

namespace sorami {

namespace {

// The paragraphs of a help topic as the rich text of the help box.
QString HelpHtml(const std::vector<HelpParagraph>& paragraphs) {
  QString html;
  for (const HelpParagraph& p : paragraphs) {
    html += QStringLiteral("<p>");
    for (const HelpRun& r : p.runs) {
      QString text = Qs(r.text).toHtmlEscaped();
      text = QStringLiteral("<span style=\"font-size:%1pt\">%2</span>")
                 .arg(r.half_points / 2.0)
                 .arg(text);
      html += r.bold ? QStringLiteral("<b>") + text + QStringLiteral("</b>") : text;
    }
    html += QStringLiteral("</p>");
  }
  return html;
}

}  // namespace

namespace {

QVBoxLayout* TightColumn(QWidget* w) {
  auto* l = new QVBoxLayout(w);
  l->setContentsMargins(0, 0, 0, 0);
  l->setSpacing(0);
  return l;
}

}  // namespace

MessageBrowser::MessageBrowser(TArMastd& store, DiagLog& log, History& history, QWidget* parent)
    : QObject(parent), store_(store), log_(log), history_(history) {
  BuildTree();
  BuildCountList();
  CountKensuu();
  BuildList();
  BuildBottom();
  BuildListMenu();

  lview_->installEventFilter(this);
  list_v_->installEventFilter(this);
  // Only a real change of the text marks the body as edited: not the text a shown record
  // puts there, nor keys that change nothing (arrows, copying).
  connect(panel_honbun_->memo(), &QTextEdit::textChanged, this, [this] {
    if (!filling_body_) body_edit_.Typed(panel_honbun_->record());
  });
  connect(tree_, &QTreeWidget::itemClicked, this, [this] { ShowSelectedFolder(); });
  // A list made anew (another folder, a search, rows taken out, the store read again) has no
  // clicked row; a delete that keeps the clicked record's row puts it back.
  connect(lview_model_, &QAbstractItemModel::modelReset, this, [this] { glix_ = -1; });
  connect(lview_, &QAbstractItemView::clicked, this,
          [this](const QModelIndex& at) { LViewDataClick(at.row()); });
  connect(lview_->header(), &QHeaderView::sectionClicked, this,
          [this](int column) { LViewDataColumnClick(column); });
  connect(list_v_, &QAbstractItemView::clicked, this, [this] { ListVClick(); });
}

QWidget* MessageBrowser::count_list() const { return list_v_; }

void MessageBrowser::BuildTree() {
  tree_panel_ = Named(new QWidget, "PanelTree");
  tree_ = Named(new QTreeWidget(tree_panel_), "TreeV");
  tree_->setHeaderHidden(true);
  tree_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  const std::vector<std::string> nodes = SystemNodeTexts();  // "受信箱(未読)" for the inbox
  auto* root = new QTreeWidgetItem(tree_, {Qs(nodes[FolderNode(Folder::kRoot)])});
  root->setIcon(0, tree_->style()->standardIcon(QStyle::SP_DriveHDIcon));
  // One folder icon for every folder node, the user folders' too: the style loads its images
  // anew each time it is asked.
  folder_icon_ = tree_->style()->standardIcon(QStyle::SP_DirIcon);
  for (int i = FolderNode(Folder::kInbox); i <= FolderNode(Folder::kDeleted); ++i) {
    (new QTreeWidgetItem(root, {Qs(nodes[static_cast<size_t>(i)])}))->setIcon(0, folder_icon_);
  }
  TightColumn(tree_panel_)->addWidget(tree_);
}

// The count list takes its model when it is first shown (its tab brought to the front, or
// the window shown with that tab in front): a view asks for the counts as soon as it has
// them, and counting a large store is not worth it for a tab out of sight.
void MessageBrowser::BuildCountList() {
  list_v_ = Named(new QTreeView, "ListV");
  count_model_ = new FolderCountModel(store_, list_v_);
  list_v_->setRootIsDecorated(false);
  list_v_->setUniformRowHeights(true);
  list_v_->header()->setStretchLastSection(false);
  list_v_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_v_->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void MessageBrowser::ShowCountList() {
  if (list_v_->model() == count_model_) return;
  list_v_->setModel(count_model_);
  list_v_->setColumnWidth(0, 70);
  list_v_->setColumnWidth(1, 60);
}

void MessageBrowser::BuildList() {
  list_panel_ = Named(new QWidget, "PanelList");
  lview_ = Named(new QTreeView(list_panel_), "LViewData");
  lview_model_ = new MessageListModel(store_, lview_);
  lview_->setModel(lview_model_);
  lview_->setRootIsDecorated(false);
  lview_->setUniformRowHeights(true);
  lview_->setSelectionBehavior(QAbstractItemView::SelectRows);
  lview_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Column widths are the user's and are stored: no section stretches with the window.
  lview_->header()->setStretchLastSection(false);
  lview_->header()->setMinimumSectionSize(0);
  lview_->header()->setSectionsClickable(true);
  for (int c = 0; c < kListColumns; ++c) {
    lview_->header()->resizeSection(c, MessageListModel::DesignWidth(c));
  }
  TightColumn(list_panel_)->addWidget(lview_);
}

// The message pane, and the help pane that takes its place while a help topic is shown.
void MessageBrowser::BuildBottom() {
  bottom_panel_ = Named(new QWidget, "PanelBottom");
  panel_honbun_ = new MessagePane;
  panel_help_ = Named(new QWidget, "PanelHelp");
  auto* caption = Named(new QLabel(QStringLiteral("ヘルプ(操作説明)"), panel_help_), "LabelHelp");
  auto* topics = Named(new QTreeWidget(panel_help_), "LvHelp");
  topics->setRootIsDecorated(false);
  topics->setHeaderLabels({QStringLiteral("項目")});
  topics->setColumnWidth(0, 110);
  topics->setEditTriggers(QAbstractItemView::NoEditTriggers);
  topics->setMaximumWidth(150);
  for (const std::string& topic : HelpTopics()) new QTreeWidgetItem(topics, {Qs(topic)});
  // A click or a key in the list opens the entry's topic, by its full caption.
  auto open = [this, topics] {
    if (topics->currentItem() && hooks.open_help)
      hooks.open_help(Sj(topics->currentItem()->text(0)));
  };
  connect(topics, &QTreeWidget::itemClicked, this, open);
  connect(topics, &QTreeWidget::currentItemChanged, this, open);
  auto* text = Named(new QTextEdit(panel_help_), "RichHelp");
  text->setReadOnly(true);
  rich_help_ = text;
  auto* row = new QHBoxLayout;
  row->addWidget(topics);
  row->addWidget(text, 1);
  auto* help_layout = TightColumn(panel_help_);
  help_layout->addWidget(caption);
  help_layout->addLayout(row, 1);

  auto* layout = TightColumn(bottom_panel_);
  layout->addWidget(panel_honbun_);
  layout->addWidget(panel_help_);
}

void MessageBrowser::Start() {
  ShowPanel(false);
  if (hooks.enable_history) hooks.enable_history(false);
  ClearDisplay();
  store_.Reset();
  history_.entries.clear();
  history_.pos = 0;
  tree_->expandAll();
  // The "Index" column only carries the row of the store; 1 pixel keeps it out of sight.
  lview_->header()->resizeSection(ListColIndex(ListCol::kIndex), 1);
}

MessageBrowser::ColumnWidths MessageBrowser::Widths() const {
  ColumnWidths widths{};
  for (int c = 0; c < kListColumns; ++c) widths[c] = lview_->columnWidth(c);
  return widths;
}

void MessageBrowser::SetWidths(const ColumnWidths& widths) {
  for (int c = 0; c < kListColumns; ++c) {
    lview_->header()->resizeSection(c, static_cast<int>(std::max<long>(widths[c], 0)));
  }
}

void MessageBrowser::SetStatus(const QString& text) {
  if (hooks.set_status) hooks.set_status(text);
}

void MessageBrowser::SelectTreeNode(int index) {
  int i = 0;
  for (QTreeWidgetItemIterator it(tree_); *it; ++it, ++i) {
    if (i != index) continue;
    tree_->clearSelection();
    tree_->setCurrentItem(*it);
    (*it)->setSelected(true);
    return;
  }
}

bool MessageBrowser::TreeNodeSelected(int index) const {
  int i = 0;
  for (QTreeWidgetItemIterator it(tree_); *it; ++it, ++i) {
    if (i == index) return (*it)->isSelected();
  }
  return false;
}

void MessageBrowser::ShowSelectedFolder() {
  SetStatus(QString());
  ShowListMessages();
}

void MessageBrowser::ShowFolder(Folder folder) {
  SelectTreeNode(FolderNode(folder));
  ShowSelectedFolder();
}

void MessageBrowser::ShowListMessages() {
  log_.Log(".ShowListMessages ");
  int i = 0;
  for (QTreeWidgetItemIterator it(tree_); *it; ++it, ++i) {
    if (!(*it)->isSelected()) continue;
    MessageListHyouji(i, NodeFolder(Sj((*it)->text(0))));
    break;
  }
  EnableMsgButtons(false);
}

void MessageBrowser::MessageListHyouji(int node, const std::string& folder) {
  log_.Log("MessageListHyouji " + std::to_string(node) + " " + folder);
  lview_model_->Fill(node, folder);
}

bool MessageBrowser::ExistsMainTree(const std::string& name) const {
  log_.Log(".ExistsMainTree:" + name);
  const QString text = Qs(name);
  for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
    if ((*it)->text(0) == text) return true;
  }
  return false;
}

void MessageBrowser::AddUserFolder(size_t slot, const std::string& name) {
  if (ExistsMainTree(name) || slot >= user_slots_.size()) return;
  QTreeWidgetItem* root = tree_->topLevelItem(0);
  (new QTreeWidgetItem(root, {Qs(name)}))->setIcon(0, folder_icon_);
  user_slots_[slot]->setText(Qs(name));
  user_slots_[slot]->setVisible(true);
  CountKensuu();
}

void MessageBrowser::RenameUserFolder(const std::string& from, const std::string& to) {
  log_.Log(".RenameUserFolder:" + from + " -> " + to);
  QTreeWidgetItem* root = tree_->topLevelItem(0);
  bool shown = false;
  // User folder nodes follow the system ones under the root.
  for (int i = static_cast<int>(FolderNames().size()) - 1; i < root->childCount(); ++i) {
    QTreeWidgetItem* node = root->child(i);
    if (node->text(0) != Qs(from)) continue;
    shown = node->isSelected();
    if (ExistsMainTree(to)) {
      delete node;
    } else {
      node->setText(0, Qs(to));
    }
    break;
  }
  for (QAction* slot : user_slots_) {
    if (slot->text() == Qs(from)) slot->setText(Qs(to));
  }
  CountKensuu();
  if (shown) ShowListMessages();
}

bool MessageBrowser::ShowHelp(bool direct, const std::string& topic,
                              const std::filesystem::path& file) {
  ShowPanel(true);
  std::string rtf;
  if (!ReadWholeFile(file, rtf)) {
    SetStatus(QStringLiteral("Cannot Read:") + Qs(PathText(file)));
    return false;
  }
  rich_help_->setHtml(HelpHtml(ReadHelpRtf(rtf)));
  SetStatus(QString());
  if (!direct) AddHistory(history_, false, topic);
  return true;
}

void MessageBrowser::ShowSearchResult(std::vector<int32_t> records) {
  lview_model_->ShowRows(std::move(records));
}

void MessageBrowser::LViewDataClick(int clicked) {
  // A click shows the row clicked, also one clicked into (or out of) a multiple selection.
  const int r = clicked >= 0 ? clicked : ClickedListRow();
  if (r < 0) return;
  glix_ = r;
  log_.Log("glix:" + std::to_string(r));
  std::string msg;
  HyoujiMessage(false, r, msg);
  if (!msg.empty()) {
    log_.Log(msg);
    SetStatus(Qs(msg));
  }
  EnableMsgButtons(true);
}

void MessageBrowser::CountKensuu() {
  log_.Log(".CountKensuu");
  std::vector<std::string> nodes;
  for (QTreeWidgetItemIterator it(tree_); *it; ++it) nodes.push_back(Sj((*it)->text(0)));
  count_model_->SetNodes(nodes);
}

bool MessageBrowser::HyoujiMessage(bool direct, int index, std::string& msg) {
  ShowPanel(false);
  bool marked = false;
  const int32_t row = direct ? index : lview_model_->list().RecordOf(index).value_or(-1);
  log_.Log("HyoujiMessage ix:" + std::to_string(index) + " nm:" + std::to_string(row));
  if (row < 0 || row >= store_.CtMaster()) {
    msg = "エラー(HyoujiMessage)"_cp932;
    return marked;
  }
  {
    const FillingBody filling(filling_body_);
    panel_honbun_->ShowRecord(store_, log_, row);
    std::string original;
    if (originals_ && store_.Get(row, MastCol::kCategory) == MailCategory() &&
        originals_->OfRecord(store_, row, original)) {
      panel_honbun_->ShowUnicode(ReadUnicodeMail(original));
    }
  }
  body_edit_.Shown(row);
  // Reading from the inbox marks read, and so does reading a received message from the root
  // (a copy written here keeps its read date, which waits for the receipt); any other folder
  // changes nothing.
  if (TreeNodeSelected(FolderNode(Folder::kInbox)) ||
      (TreeNodeSelected(FolderNode(Folder::kRoot)) && !IsOwnCopy(store_, row))) {
    marked = SetKakuninbi(store_, log_, row, NowText(), hooks.send_feedback);
  }
  panel_honbun_->tenpu()->hide();
  if (store_.Get(row, MastCol::kCategory) == MailCategory()) {
    shown_kind_ = MailCategory();
    panel_honbun_->SetSentCaptionVisible(false);
    if (hooks.show_mail_info) {
      hooks.show_mail_info(row);
      panel_honbun_->tenpu()->show();
    }
  } else {
    panel_honbun_->SetSentCaptionVisible(true);
    shown_kind_ = MessageKind();
    if (!store_.Get(row, MastCol::kAttachments).empty() && hooks.show_tenpu &&
        hooks.show_tenpu(row)) {
      panel_honbun_->tenpu()->show();
    }
  }
  if (!direct) {
    AddHistory(history_, true, std::to_string(row));
    history_.pos = static_cast<int>(history_.entries.size()) - 1;
  }
  if (hooks.enable_history) hooks.enable_history(true);
  return marked;
}

void MessageBrowser::ShowPanel(bool help) {
  panel_honbun_->setVisible(!help);
  panel_help_->setVisible(help);
}

void MessageBrowser::ClearDisplay() {
  panel_honbun_->Clear();
  EnableMsgButtons(false);
}

void MessageBrowser::EnableMsgButtons(bool on) {
  // A claim report is about a site message, never a mail.
  if (hooks.enable_message_buttons) {
    hooks.enable_message_buttons(on, on && shown_kind_ == MessageKind());
  }
}

}  // namespace sorami
