#include "model/password_store.h"

namespace xyla {

namespace {
PasswordStore* g_standard = nullptr;
}  // namespace

PasswordStore* PasswordStore::standard() { return g_standard; }
void PasswordStore::setStandard(PasswordStore* store) { g_standard = store; }

}  // namespace xyla
