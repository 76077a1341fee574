// The count list ListV of the tab "件数" as a table model: one row per folder node below the
// root (row k stands for tree node k + 1), captions "フォルダー" and "件数".
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "base/DiagLog.h"
#include "views/FolderCounts.h"

namespace sorami {

class FolderCountModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit FolderCountModel(QObject* parent = nullptr);

  const std::vector<CountRow>& rows() const { return rows_; }
  // Replaces every row (after a recount).
  void SetRows(std::vector<CountRow> rows);
  // A message of the inbox was read: one less in the inbox row, one more in "既読".
  void MidokuToKidoku(DiagLog& log);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  std::vector<CountRow> rows_;
};

}  // namespace sorami
