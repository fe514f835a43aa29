#pragma once

#include <optional>
#include <string>

#include "model/password_store.h"

namespace xyla::gui {

// Passwords kept in the desktop's keyring (Secret Service, KWallet) under the service
// "Xyla". Each request waits for the keyring's answer in a local event loop; without a
// running keyring it answers nothing and the program asks instead.
class KeyringPasswords : public PasswordStore {
 public:
  std::optional<std::string> read(const std::string& account) override;
  bool write(const std::string& account, const std::string& password) override;
};

}  // namespace xyla::gui
