// Where passwords are kept apart from the files: the desktop's keyring when the session has
// one, else nowhere (the files keep them, as they always did).
//
// Keys and passwords are the program's text (code page 932). A keyring stores them as Unicode
// text, so a password that does not convert back to the same bytes is refused rather than
// changed. Every call blocks its caller until the keyring answered (or a time limit passed).
#pragma once

#include <memory>
#include <string>

namespace sorami {

enum class VaultRead { kFound, kMissing, kFailed };

class PasswordVault {
 public:
  virtual ~PasswordVault() = default;
  // True when passwords are kept here instead of in the files.
  virtual bool Keeps() const = 0;
  // kMissing: nothing is stored under the key; kFailed: the keyring could not be asked (error
  // says why), so whether something is stored is not known.
  virtual VaultRead Read(const std::string& key, std::string& password, std::string& error) = 0;
  // False with a reason when the password was not stored.
  virtual bool Write(const std::string& key, const std::string& password, std::string& error) = 0;
  // Removes what the key holds; removing a key that holds nothing succeeds.
  virtual bool Remove(const std::string& key, std::string& error) = 0;
};

// No keyring: the files keep the passwords. Nothing is ever stored here.
class NoKeyring final : public PasswordVault {
 public:
  bool Keeps() const override { return false; }
  VaultRead Read(const std::string&, std::string&, std::string& error) override {
    error = "no keyring";
    return VaultRead::kFailed;
  }
  bool Write(const std::string&, const std::string&, std::string& error) override {
    error = "no keyring";
    return false;
  }
  bool Remove(const std::string&, std::string&) override { return true; }
};

// The Secret Service of the session's D-Bus (gnome-keyring, KeePassXC...) under `service`.
// Only a service that is already running counts: one that D-Bus would start on demand has no
// unlocked keyring to offer. Null, with the reason, when there is none.
std::unique_ptr<PasswordVault> OpenDesktopKeyring(const std::string& service, std::string& reason);

}  // namespace sorami
