// The message list LViewData as a table model over MessageList: a row holds only the store
// row of its record, and the texts of a row are made when the view asks for them, so only
// the rows on screen are ever formatted. It watches the store: a changed record is repainted,
// a new record of the listed folder joins the end of the list, and a store read anew lists
// the folder again.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <string_view>
#include <vector>

#include "store/MastStore.h"
#include "views/MessageList.h"

namespace sorami {

class MessageListModel : public QAbstractTableModel, private StoreObserver {
  Q_OBJECT

 public:
  // The store row of a list row's record (an int).
  static constexpr int kRecordRole = Qt::UserRole + 1;

  explicit MessageListModel(const TArMastd& store, QObject* parent = nullptr);
  ~MessageListModel() override;

  const MessageList& list() const { return list_; }
  // Design width of a column in pixels ("Index" 1, so it stays out of sight).
  static int DesignWidth(int column);

  // Shows the records of tree node `node` standing for `folder`, in store order.
  void Fill(int node, std::string_view folder);
  // The list shows these records (a search's result).
  void ShowRows(std::vector<int32_t> records);
  // A click on a column header: sorts by the list's rules. Selection and current row
  // follow their records.
  void ColumnClick(int column);
  // Removes list rows (any order) in one pass.
  void RemoveRows(std::vector<size_t> rows);

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

  const TArMastd& store_;
  MessageList list_;
};

}  // namespace sorami
