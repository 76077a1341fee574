// The address list window (TFormSendList, caption "送信先リスト"): the entries of the address
// list (name, addresses, relation) with an edit panel to add, change and delete them, and the
// picking of addresses for the compose window's To, CC and Bcc. The entries live in the list
// the window is given; the window only shows and edits them.
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "base/ui/PersistedWindow.h"
#include "compose/Addresses.h"

class QComboBox;
class QLineEdit;
class QTreeWidget;

namespace sorami {

class TFormSendList : public PersistedWindow {
  Q_OBJECT

 public:
  static constexpr WindowGeometry kDesignGeometry{6, 194, 442, 341};

  struct Hooks {
    // "追加選択(&A)": the picked address text and the position of its relation.
    std::function<void(const QString& address, int relation)> add_pick;
    // "ヘルプ(&H)": the help topic "宛先リスト".
    std::function<void()> show_help;
  };

  TFormSendList(Registry& registry, DiagLog& log, std::vector<AddressEntry>& entries,
                QWidget* parent = nullptr);

  Hooks hooks;
  // Shows the entries again (after they were read or changed elsewhere).
  void ShowList();
  // Shown for picking: the edit panel hidden, modal. picked() tells how it ended.
  void ShowForPick();
  // The address text and relation of the pick ("上書選択(&C)").
  QString PickedAddress() const;
  QString PickedRelation() const;

  void Button1Click();  // "変更(&U)"
  void Button2Click();  // "新規登録(&I)"
  void Button3Click();  // "削除(&D)"

 signals:
  // true: "上書選択(&C)", a double click or Enter; false: "キャンセル(&Q)".
  void picked(bool ok);

 private:
  void RowChosen();
  void EndPick(bool ok);
  AddressEntry FromFields() const;
  int CurrentRow() const;

  std::vector<AddressEntry>& entries_;
  QTreeWidget* lview_ = nullptr;
  QWidget* panel_edit_ = nullptr;
  QLineEdit* edit_name_ = nullptr;
  QLineEdit* edit_atesaki_ = nullptr;
  QComboBox* combo_kankei_ = nullptr;
};

}  // namespace sorami
