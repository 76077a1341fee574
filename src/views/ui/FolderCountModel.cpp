#include "views/ui/FolderCountModel.h"

#include "base/ui/QtText.h"

namespace sorami {

FolderCountModel::FolderCountModel(const TArMastd& store, QObject* parent)
    : QAbstractTableModel(parent), store_(store) {
  store_.Watch(this);
}

FolderCountModel::~FolderCountModel() { store_.Unwatch(this); }

void FolderCountModel::SetNodes(const std::vector<std::string>& node_texts) {
  beginResetModel();
  tally_.SetNodes(store_, node_texts);
  stale_ = false;
  endResetModel();
}

const FolderTally& FolderCountModel::Tally() const {
  if (stale_) {
    tally_.Recount(store_);
    stale_ = false;
  }
  return tally_;
}

void FolderCountModel::CountChanged(size_t row) {
  const QModelIndex at = index(static_cast<int>(row), 1);
  emit dataChanged(at, at, {Qt::DisplayRole});
}

void FolderCountModel::Appended(int32_t row) {
  if (stale_) return;  // the count to come takes it
  if (const auto changed = tally_.Add(store_.Get(row, MastCol::kFolder))) CountChanged(*changed);
}

void FolderCountModel::Changed(int32_t row, MastCol col, std::string_view before) {
  if (col != MastCol::kFolder || stale_) return;
  for (size_t r : tally_.Move(before, store_.Get(row, MastCol::kFolder))) CountChanged(r);
}

void FolderCountModel::Reset() {
  stale_ = true;
  if (rowCount() > 0) emit dataChanged(index(0, 1), index(rowCount() - 1, 1), {Qt::DisplayRole});
}

int FolderCountModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(tally_.size());
}

int FolderCountModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 2;
}

QVariant FolderCountModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() < 0 || index.row() >= rowCount()) return {};
  const auto row = static_cast<size_t>(index.row());
  if (role == Qt::DisplayRole) {
    const FolderTally& tally = Tally();
    return Qs(index.column() == 0 ? tally.Caption(row) : CountText(tally.Count(row)));
  }
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
