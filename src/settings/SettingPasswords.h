// The passwords of the settings file (the account page's, the receive login's and the send
// login's) and of the account list, kept in the desktop's keyring when there is one.
//
// With a keyring the files hold an empty password. A file that still holds one (written before
// the keyring was there, or while the keyring refused it) is read as it is, and its password
// moves to the keyring on the next save. A password the keyring does not take stays in its
// file, and the diagnostic log says why: a save never loses one. Without a keyring nothing
// changes: the files keep the passwords.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/DiagLog.h"
#include "platform/PasswordVault.h"
#include "settings/Settei.h"
#include "store/SiteAccount.h"

namespace sorami {

class SettingPasswords {
 public:
  SettingPasswords() : vault_(std::make_unique<NoKeyring>()) {}

  // Keeps the passwords in vault from now on, under keys that begin with profile (the
  // configuration's directory), so two configurations never share a password.
  void Use(std::unique_ptr<PasswordVault> vault, std::string profile);
  bool InKeyring() const { return vault_->Keeps(); }

  // After a file was read: every empty password takes the one the keyring holds for it.
  void Fill(SetteiValues& v, DiagLog& log);
  void Fill(std::vector<SiteAccount>& rows, DiagLog& log);
  // Before a file is written: the passwords go to the keyring and are emptied in what is
  // written; one the keyring refused stays.
  void Take(SetteiValues& v, DiagLog& log);
  void Take(std::vector<SiteAccount>& rows, DiagLog& log);
  // After the file was written: the keyring forgets the passwords of that file that the last
  // Take no longer had (a deleted row, a cleared password).
  void Prune(bool list, DiagLog& log);

 private:
  struct Slot {
    std::string key;   // the keyring's key
    std::string name;  // for the log
    std::string* password;
  };
  std::vector<Slot> Slots(SetteiValues& v) const;
  std::vector<Slot> Slots(std::vector<SiteAccount>& rows) const;
  void FillSlots(const std::vector<Slot>& slots, DiagLog& log);
  void TakeSlots(const std::vector<Slot>& slots, bool list, DiagLog& log);

  std::unique_ptr<PasswordVault> vault_;
  std::string profile_;
  // What the keyring holds as far as this run knows (read or written), by key.
  std::map<std::string, std::string> held_;
  // Keys whose read failed: what they hold is not known, so they are never removed.
  std::set<std::string> unknown_;
  // The keys the last Take of each file kept in the keyring: [0] settings, [1] account list.
  std::set<std::string> taken_[2];
};

}  // namespace sorami
