#pragma once

#include <optional>
#include <string>

namespace xyla {

// Where the passwords of database sources are kept when documents leave them out: the
// desktop's keyring in the window program. The program installs one as the standard
// store; without one (batch runs, tests that install none) nothing is kept.
class PasswordStore {
 public:
  virtual ~PasswordStore() = default;

  // The password kept for `account`; nothing when none is kept or no keyring answers.
  virtual std::optional<std::string> read(const std::string& account) = 0;
  // Keeps `password` for `account`; false when no keyring answers.
  virtual bool write(const std::string& account, const std::string& password) = 0;

  // The installed store, or null.
  static PasswordStore* standard();
  // Installs `store` (null: none); the caller keeps it alive while installed.
  static void setStandard(PasswordStore* store);
};

}  // namespace xyla
