#include "attach/ui/TFormTenpu.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "base/ui/Named.h"
#include "base/ui/QtText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "platform/Shell.h"

namespace sorami {

namespace {

// A path the user chose or dropped, as the file system names it (whatever its characters).
std::filesystem::path LocalPath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

}  // namespace

TFormTenpu::TFormTenpu(Registry& registry, DiagLog& log, const TArMastd& store,
                       std::filesystem::path attach_dir,
                       std::vector<std::filesystem::path>& send_list, QWidget* parent)
    : PersistedWindow(registry, log, "fmTenpu", kDesignGeometry, Persist::kGeometry, parent),
      store_(store),
      list_(log, std::move(attach_dir), send_list) {
  setWindowTitle(QStringLiteral("添付ファイル"));
  auto* central = new QWidget(this);
  lview_ = Named(new QTreeWidget(central), "LViewTenpu");
  lview_->setRootIsDecorated(false);
  lview_->setHeaderLabels({QStringLiteral("Fille Name"), QStringLiteral("Content Type")});
  lview_->setColumnWidth(0, 150);
  lview_->setColumnWidth(1, 150);
  lview_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lview_->setContextMenuPolicy(Qt::CustomContextMenu);

  bt_read_ = Named(new QPushButton(QStringLiteral("読み込む"), central), "BtRead");
  auto* clear = Named(new QPushButton(QStringLiteral("全消去"), central), "Button1");
  auto* remove = Named(new QPushButton(QStringLiteral("削除"), central), "BtSakujo");
  bt_refetch_ = Named(new QPushButton(QStringLiteral("再取得"), central), "BtSaishutoku");
  bt_refetch_->setEnabled(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(bt_read_);
  buttons->addWidget(clear);
  buttons->addWidget(remove);
  buttons->addWidget(bt_refetch_);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(central);
  layout->addLayout(buttons);
  layout->addWidget(lview_, 1);
  setCentralWidget(central);
  Named(statusBar(), "StatusBar");

  connect(Named(menuBar()->addAction(QStringLiteral("閉じる(&C)")), "Close1"), &QAction::triggered,
          this, &QWidget::close);
  menu_hozon_ =
      Named(menuBar()->addAction(QStringLiteral("名前をつけて保存する(&A)")), "MenuHozon");
  connect(menu_hozon_, &QAction::triggered, this, &TFormTenpu::MenuHozonClick);

  pm_tenpu_ = Named(new QMenu(this), "PmTenpu");
  n85_ = Named(pm_tenpu_->addAction(QStringLiteral("データ登録(&I)")), "N85");
  connect(n85_, &QAction::triggered, this, &TFormTenpu::MenuHozonClick);
  connect(Named(pm_tenpu_->addAction(QStringLiteral("消去(&E)")), "E1"), &QAction::triggered, this,
          &TFormTenpu::E1Click);
  pm_tenpu_->addSeparator();
  connect(Named(pm_tenpu_->addAction(QStringLiteral("実行(&J)")), "J1"), &QAction::triggered, this,
          &TFormTenpu::OpenSelected);
  pm_tenpu_->addSeparator();
  connect(Named(pm_tenpu_->addAction(QStringLiteral("ファイル削除(&D)")), "D1"),
          &QAction::triggered, this, &TFormTenpu::BtSakujoClick);
  connect(lview_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { pm_tenpu_->popup(lview_->viewport()->mapToGlobal(at)); });

  connect(lview_, &QTreeWidget::itemDoubleClicked, this, [this] { OpenSelected(); });
  connect(bt_read_, &QPushButton::clicked, this, &TFormTenpu::BtReadClick);
  connect(clear, &QPushButton::clicked, this, &TFormTenpu::Button1Click);
  connect(remove, &QPushButton::clicked, this, &TFormTenpu::BtSakujoClick);
  connect(bt_refetch_, &QPushButton::clicked, this, &TFormTenpu::BtRefetchClick);
  setAcceptDrops(true);

  hooks.choose_open_file = [this] {
    return QFileDialog::getOpenFileName(this, QString(), QString(), QStringLiteral("ALL (*.*)"));
  };
  hooks.choose_save_file = [this](const QString& name) {
    return QFileDialog::getSaveFileName(this, QString(), name);
  };
  hooks.open_file = [](const std::string& path, ShellOpenDone done) {
    ShellOpen(path, std::move(done));
  };
  hooks.alert = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };
}

void TFormTenpu::SetMode(Mode mode) {
  menu_hozon_->setEnabled(mode == Mode::kMessage);
  bt_read_->setEnabled(mode == Mode::kCompose);
}

void TFormTenpu::ShowForMessage() {
  SetMode(Mode::kMessage);
  setWindowModality(Qt::NonModal);
  show();
  raise();
}

void TFormTenpu::ShowForCompose() {
  SetMode(Mode::kCompose);
  // Exactly the files that would go: the rows of a shown message, or of files sent or cleared
  // since, never come back into the send list.
  list_.ShowSendList();
  ShowRows();
  if (isVisible()) hide();  // modality changes only while hidden
  setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  connect(this, &TFormTenpu::Hidden, &loop, &QEventLoop::quit);
  show();
  if (isVisible()) loop.exec();
  setWindowModality(Qt::NonModal);
}

bool TFormTenpu::ShowTenpu(int32_t row) {
  const bool all = list_.ShowTenpu(store_, row);
  shown_row_ = row;
  ShowRows();
  return all;
}

void TFormTenpu::BtRefetchClick() {
  if (shown_row_ < 0 || !hooks.refetch) return;
  const int32_t row = shown_row_;
  const std::string failed = hooks.refetch(row);
  ShowTenpu(row);
  SetStatus(Qs(failed));
}

void TFormTenpu::ShowNames(const std::vector<std::string>& names, const std::string& detail) {
  list_.ShowNames(names, detail);
  shown_row_ = -1;
  ShowRows();
}

void TFormTenpu::SetTenpuFile(const std::filesystem::path& path) {
  list_.SetTenpuFile(path);
  ShowRows();
}

bool TFormTenpu::TenpuSakujo() {
  const bool changed = list_.TenpuSakujo(SelectedRows());
  ShowRows();
  return changed;
}

void TFormTenpu::BtReadClick() {
  const QString path = hooks.choose_open_file ? hooks.choose_open_file() : QString();
  if (!path.isEmpty()) SetTenpuFile(LocalPath(path));
}

void TFormTenpu::Button1Click() {
  list_.Clear();
  ShowRows();
}

void TFormTenpu::BtSakujoClick() {
  if (!TenpuSakujo()) return;
  list_.RebuildSendList();
  SetStatus(QString());
}

void TFormTenpu::E1Click() {
  if (!SelectedRows().empty()) TenpuSakujo();
}

void TFormTenpu::OpenSelected() {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  log_.Log("val:" + list_.rows()[static_cast<size_t>(rows.front())].name);
  const std::string path = PathText(list_.FileOf(rows.front()));
  SetStatus(Qs(path));
  if (!PathExists(list_.FileOf(rows.front()))) {
    SetStatus(QStringLiteral("Not Found: ") + Qs(path));
  } else if (hooks.open_file) {
    // The opener answers later; the window may be closed (or gone) by then.
    const QString name = Qs(list_.rows()[static_cast<size_t>(rows.front())].name);
    hooks.open_file(
        path, [self = QPointer<TFormTenpu>(this), name](bool opened, const std::string& why) {
          if (opened || !self) return;
          const QString text = QStringLiteral("「%1」を開けません : %2").arg(name, Qs(why));
          self->SetStatus(text);
          if (self->hooks.alert) self->hooks.alert(text);
        });
  }
}

void TFormTenpu::MenuHozonClick() {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty() || !hooks.choose_save_file) return;
  const QString to =
      hooks.choose_save_file(Qs(list_.rows()[static_cast<size_t>(rows.front())].name));
  if (to.isEmpty()) return;
  std::string msg;
  SaveTenpuCopy(list_.FileOf(rows.front()), FsPath(Sj(to)), msg);
  SetStatus(Qs(msg));
}

void TFormTenpu::DropFiles(const QStringList& paths) {
  log_.Log("WMDropFiles ");
  if (paths.isEmpty()) return;
  SetStatus(paths.front());
  SetTenpuFile(LocalPath(paths.front()));
}

void TFormTenpu::hideEvent(QHideEvent* event) {
  PersistedWindow::hideEvent(event);
  emit Hidden();
}

void TFormTenpu::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TFormTenpu::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths << url.toLocalFile();
  }
  DropFiles(paths);
  event->acceptProposedAction();
}

QString TFormTenpu::StatusText() const { return statusBar()->currentMessage(); }

void TFormTenpu::ShowRows() {
  lview_->clear();
  bool any_missing = false;
  for (const TenpuRow& r : list_.rows()) {
    // A local file shows its real name and path, which code page 932 may not hold.
    const QStringList cells =
        r.local     ? QStringList{QFile::decodeName(r.file.filename().string().c_str()),
                              QFile::decodeName(r.file.string().c_str())}
        : r.missing ? QStringList{Qs(r.name), Qs(r.detail) + QStringLiteral("（未取得）")}
                    : QStringList{Qs(r.name), Qs(r.detail)};
    auto* item = new QTreeWidgetItem(cells);
    if (r.missing) item->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
    lview_->addTopLevelItem(item);
    any_missing = any_missing || r.missing;
  }
  bt_refetch_->setEnabled(any_missing);
}

std::vector<int> TFormTenpu::SelectedRows() const {
  std::vector<int> out;
  for (int i = 0; i < lview_->topLevelItemCount(); ++i) {
    if (lview_->topLevelItem(i)->isSelected()) out.push_back(i);
  }
  return out;
}

void TFormTenpu::SetStatus(const QString& text) { statusBar()->showMessage(text); }

}  // namespace sorami
