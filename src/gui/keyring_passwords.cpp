#include "gui/keyring_passwords.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>
#include <QString>

namespace xyla::gui {

namespace {

constexpr const char* kService = "Xyla";

// Starts `job` and waits until it has finished; answers whether it succeeded.
bool runJob(QKeychain::Job& job) {
  job.setAutoDelete(false);
  QEventLoop loop;
  QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
  job.start();
  loop.exec();
  return job.error() == QKeychain::NoError;
}

}  // namespace

std::optional<std::string> KeyringPasswords::read(const std::string& account) {
  QKeychain::ReadPasswordJob job(kService);
  job.setKey(QString::fromStdString(account));
  if (!runJob(job)) return std::nullopt;
  return job.textData().toStdString();
}

bool KeyringPasswords::write(const std::string& account, const std::string& password) {
  QKeychain::WritePasswordJob job(kService);
  job.setKey(QString::fromStdString(account));
  job.setTextData(QString::fromStdString(password));
  return runJob(job);
}

}  // namespace xyla::gui
