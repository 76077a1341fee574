// The settings window's page "フォルダ設定": the user's own folders, edited as a list of names
// with a check mark, saved to UserFolder.dat and applied to the folder tree by "反映する".
#pragma once

#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

#include "store/UserFolders.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace sorami {

class UserFolderPage : public QWidget {
  Q_OBJECT

 public:
  struct Hooks {
    // Applies the list to the folder tree and the "フォルダ変更" menu (HanneiUserFolder).
    std::function<void()> apply;
    // The settings window's status bar.
    std::function<void(const QString&)> status;
    // Moves a renamed folder's messages, tree node and menu slot to the new name; called for
    // each rename, in order, when "反映する" has saved the list.
    std::function<void(const std::string& from, const std::string& to)> rename;
  };

  UserFolderPage(std::vector<UserFolder>& folders, std::filesystem::path data_dir, DiagLog& log,
                 QWidget* parent = nullptr);

  Hooks hooks;
  // Shows the list again (after it was read).
  void ShowList();

  void EditFolderChange();
  void CkUserFolderClick();
  void BtTsuikaClick();
  void BtHenkouClick();
  void BtSakujoClick();
  void SpeedButton1Click();

 private:
  void Status(const QString& text);

  std::vector<UserFolder>& folders_;
  std::filesystem::path data_dir_;
  DiagLog& log_;
  int current_ = -1;  // the entry last clicked
  // Renames made with "変更" since the list was last applied: (old name, new name).
  std::vector<std::pair<std::string, std::string>> renames_;
  QLineEdit* edit_folder_ = nullptr;
  QCheckBox* ck_valid_ = nullptr;
  QPushButton* bt_tsuika_ = nullptr;
  QPushButton* bt_henkou_ = nullptr;
  QPushButton* bt_sakujo_ = nullptr;
  QListWidget* list_ = nullptr;
};

}  // namespace sorami
