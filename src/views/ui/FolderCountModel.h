// The count list ListV of the tab "件数" as a table model: one row per folder node below the
// root (row k stands for tree node k + 1), captions "フォルダー" and "件数". It watches the
// store and keeps its counts in step with every change. A store emptied or read anew is
// counted when a count is next asked for, so a count list not shown costs no pass over it.
#pragma once

#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "store/MastStore.h"
#include "views/FolderCounts.h"

namespace sorami {

class FolderCountModel : public QAbstractTableModel, private StoreObserver {
  Q_OBJECT

 public:
  explicit FolderCountModel(const TArMastd& store, QObject* parent = nullptr);
  ~FolderCountModel() override;

  // The tree's node texts (node 0 the root): the rows, counted from the store.
  void SetNodes(const std::vector<std::string>& node_texts);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  void Appended(int32_t row) override;
  void Changed(int32_t row, MastCol col, std::string_view before) override;
  void Reset() override;
  void CountChanged(size_t row);
  // The tally, counted again first when the store was replaced since it was last asked.
  const FolderTally& Tally() const;

  const TArMastd& store_;
  mutable FolderTally tally_;
  mutable bool stale_ = false;
};

}  // namespace sorami
