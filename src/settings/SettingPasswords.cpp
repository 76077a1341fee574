#include "settings/SettingPasswords.h"

#include "platform/Codepage.h"

namespace sorami {

void SettingPasswords::Use(std::unique_ptr<PasswordVault> vault, std::string profile) {
  vault_ = vault ? std::move(vault) : std::make_unique<NoKeyring>();
  profile_ = std::move(profile);
  held_.clear();
  unknown_.clear();
  taken_[0].clear();
  taken_[1].clear();
}

std::vector<SettingPasswords::Slot> SettingPasswords::Slots(SetteiValues& v) const {
  std::vector<Slot> slots;
  for (auto [name, field] : {std::pair{"fmKairoSettei.EdPassword", &SetteiValues::password},
                             std::pair{"fmKairoSettei.EdMailPass", &SetteiValues::pop_password},
                             std::pair{"fmKairoSettei.EdSmtpPass", &SetteiValues::smtp_password}}) {
    slots.push_back({profile_ + " " + name, name, &(v.*field)});
  }
  return slots;
}

std::vector<SettingPasswords::Slot> SettingPasswords::Slots(std::vector<SiteAccount>& rows) const {
  std::vector<Slot> slots;
  // A row is known by its site and nickname, which hold no TAB (the list file's separator).
  for (SiteAccount& row : rows) {
    const std::string name = "KRList.dat " + row.site + "\t" + row.nickname;
    slots.push_back({profile_ + " " + name, name, &row.password});
  }
  return slots;
}

void SettingPasswords::Fill(SetteiValues& v, DiagLog& log) { FillSlots(Slots(v), log); }

void SettingPasswords::Fill(std::vector<SiteAccount>& rows, DiagLog& log) {
  FillSlots(Slots(rows), log);
}

void SettingPasswords::Take(SetteiValues& v, DiagLog& log) { TakeSlots(Slots(v), false, log); }

void SettingPasswords::Take(std::vector<SiteAccount>& rows, DiagLog& log) {
  TakeSlots(Slots(rows), true, log);
}

void SettingPasswords::FillSlots(const std::vector<Slot>& slots, DiagLog& log) {
  if (!vault_->Keeps()) return;
  bool failed = false;  // after one failure the others are not asked (each could wait long)
  for (const Slot& slot : slots) {
    if (!slot.password->empty()) continue;  // still in the file: moves on the next save
    if (auto it = held_.find(slot.key); it != held_.end()) {
      *slot.password = it->second;
      continue;
    }
    if (failed) unknown_.insert(slot.key);
    if (unknown_.count(slot.key)) continue;
    std::string password, error;
    switch (vault_->Read(slot.key, password, error)) {
      case VaultRead::kFound:
        held_[slot.key] = password;
        *slot.password = password;
        break;
      case VaultRead::kMissing:
        break;
      case VaultRead::kFailed:
        unknown_.insert(slot.key);
        failed = true;
        log.Log("Keyring read failed : " + slot.name + " : " + Utf8ToCp932(error));
        break;
    }
  }
}

void SettingPasswords::TakeSlots(const std::vector<Slot>& slots, bool list, DiagLog& log) {
  if (!vault_->Keeps()) return;
  std::set<std::string>& taken = taken_[list ? 1 : 0];
  taken.clear();
  for (const Slot& slot : slots) {
    std::string& password = *slot.password;
    if (password.empty()) continue;
    if (taken.count(slot.key)) {
      // Two rows of one account: the keyring holds the first one's password; another one
      // stays in the file.
      if (held_[slot.key] == password) password.clear();
      continue;
    }
    const auto it = held_.find(slot.key);
    if (it == held_.end() || it->second != password) {
      std::string error;
      if (!vault_->Write(slot.key, password, error)) {
        log.Log("Keyring write failed, kept in the file : " + slot.name + " : " +
                Utf8ToCp932(error));
        continue;
      }
      held_[slot.key] = password;
      unknown_.erase(slot.key);
    }
    taken.insert(slot.key);
    password.clear();
  }
}

void SettingPasswords::Prune(bool list, DiagLog& log) {
  if (!vault_->Keeps()) return;
  const std::set<std::string>& taken = taken_[list ? 1 : 0];
  const std::string head = profile_ + (list ? " KRList.dat " : " fmKairoSettei.");
  for (auto it = held_.begin(); it != held_.end();) {
    if (it->first.rfind(head, 0) != 0 || taken.count(it->first)) {
      ++it;
      continue;
    }
    std::string error;
    if (!vault_->Remove(it->first, error)) {
      log.Log("Keyring remove failed : " + it->first.substr(profile_.size() + 1) + " : " +
              Utf8ToCp932(error));
      ++it;
      continue;
    }
    it = held_.erase(it);
  }
}

}  // namespace sorami
