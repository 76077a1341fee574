#include "views/ui/MessageListModel.h"

#include <algorithm>

#include "base/ui/QtText.h"

namespace sorami {

MessageListModel::MessageListModel(const TArMastd& store, QObject* parent)
    : QAbstractTableModel(parent), store_(store) {
  store_.Watch(this);
}

MessageListModel::~MessageListModel() { store_.Unwatch(this); }

int MessageListModel::DesignWidth(int column) {
  return ListColumn(static_cast<ListCol>(column)).width;
}

void MessageListModel::Fill(int node, std::string_view folder) {
  beginResetModel();
  list_.Fill(store_, node, folder);
  endResetModel();
}

void MessageListModel::ShowRows(std::vector<int32_t> records) {
  beginResetModel();
  list_.SetRows(std::move(records));
  endResetModel();
}

void MessageListModel::ColumnClick(int column) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<int32_t> records;
  records.reserve(static_cast<size_t>(before.size()));
  for (const QModelIndex& i : before) records.push_back(list_.RecordOf(i.row()).value_or(-1));

  list_.ColumnClick(store_, static_cast<ListCol>(column));

  // Where each record stands now, for the indexes the views hold (selection, current row).
  int32_t top = -1;
  for (int32_t r : list_.rows()) top = std::max(top, r);
  std::vector<int> where(static_cast<size_t>(top + 1), -1);
  for (size_t i = 0; i < list_.size(); ++i)
    where[static_cast<size_t>(list_.rows()[i])] = static_cast<int>(i);
  QModelIndexList after;
  after.reserve(before.size());
  for (qsizetype k = 0; k < before.size(); ++k) {
    const int32_t r = records[static_cast<size_t>(k)];
    const int row = r >= 0 && r <= top ? where[static_cast<size_t>(r)] : -1;
    after.append(row < 0 ? QModelIndex() : index(row, before[k].column()));
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void MessageListModel::RemoveRows(std::vector<size_t> rows) {
  if (rows.empty()) return;
  beginResetModel();
  list_.RemoveRows(std::move(rows));
  endResetModel();
}

void MessageListModel::Appended(int32_t row) {
  if (!list_.Takes(store_, row)) return;
  const int at = rowCount();
  beginInsertRows(QModelIndex(), at, at);
  list_.Add(row);
  endInsertRows();
}

// A record stays where it is listed even when it leaves the folder (a message read from the
// inbox moves to "既読"): only the browser's own commands take rows out.
void MessageListModel::Changed(int32_t row, MastCol /*col*/, std::string_view /*before*/) {
  if (const auto at = list_.RowOf(row)) {
    const int r = static_cast<int>(*at);
    emit dataChanged(index(r, 0), index(r, kListColumns - 1), {Qt::DisplayRole});
  }
}

void MessageListModel::Reset() {
  beginResetModel();
  list_.Refill(store_);
  endResetModel();
}

int MessageListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(list_.size());
}

int MessageListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kListColumns;
}

QVariant MessageListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.parent().isValid()) return {};
  const auto record = list_.RecordOf(index.row());
  if (!record || index.column() < 0 || index.column() >= kListColumns) return {};
  if (role == kRecordRole) return *record;
  if (role != Qt::DisplayRole) return {};
  if (*record >= store_.CtMaster()) return {};
  return Qs(
      list_.Text(store_, static_cast<size_t>(index.row()), static_cast<ListCol>(index.column())));
}

QVariant MessageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kListColumns) return {};
  if (role == Qt::DisplayRole) return Qs(ListColumn(static_cast<ListCol>(section)).caption);
  return {};
}

Qt::ItemFlags MessageListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

}  // namespace sorami
