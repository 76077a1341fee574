#include "views/ui/FolderCountModel.h"

#include "base/ui/QtText.h"

namespace sorami {

FolderCountModel::FolderCountModel(QObject* parent) : QAbstractTableModel(parent) {}

void FolderCountModel::SetRows(std::vector<CountRow> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

void FolderCountModel::MidokuToKidoku(DiagLog& log) {
  sorami::MidokuToKidoku(log, rows_);
  if (rows_.empty()) return;
  const int last = rows_.size() > 1 ? 1 : 0;
  emit dataChanged(index(0, 1), index(last, 1), {Qt::DisplayRole});
}

int FolderCountModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FolderCountModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 2;
}

QVariant FolderCountModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() < 0 || index.row() >= rowCount()) return {};
  const CountRow& r = rows_[static_cast<size_t>(index.row())];
  if (role == Qt::DisplayRole) return Qs(index.column() == 0 ? r.caption : r.count);
  if (role == Qt::TextAlignmentRole && index.column() == 1) {
    return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
  }
  return {};
}

QVariant FolderCountModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section > 1) return {};
  if (role == Qt::DisplayRole) {
    return section == 0 ? QStringLiteral("フォルダー") : QStringLiteral("件数");
  }
  if (role == Qt::TextAlignmentRole && section == 1) {
    return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
  }
  return {};
}

Qt::ItemFlags FolderCountModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

}  // namespace sorami
