#include "gui/keyring_passwords.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>

namespace xyla::gui {

namespace {

constexpr const char* kService = "Xyla";
// Longest wait for the keyring's answer: a keyring that does not run may only show as
// a request that is never answered.
constexpr int kAnswerMilliseconds = 5000;

// What a finished job said; kept apart from the job, which may outlive the wait.
struct Answer {
  bool done = false;
  bool ok = false;
  QString text;
};

// Starts `job` (which deletes itself when it finishes) and waits for its answer at most
// kAnswerMilliseconds; an unanswered job counts as failed.
std::shared_ptr<Answer> runJob(QKeychain::Job* job) {
  auto answer = std::make_shared<Answer>();
  const QPointer<QKeychain::Job> alive(job);
  QEventLoop loop;
  const QMetaObject::Connection heard = QObject::connect(job, &QKeychain::Job::finished, job, [answer, &loop, job] {
    answer->done = true;
    answer->ok = job->error() == QKeychain::NoError;
    if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(job)) answer->text = read->textData();
    loop.quit();
  });
  QTimer::singleShot(kAnswerMilliseconds, &loop, &QEventLoop::quit);
  job->setAutoDelete(true);
  job->start();
  if (!answer->done) loop.exec();
  // A late answer must not reach the loop that is gone (a finished job deletes itself).
  if (alive) QObject::disconnect(heard);
  return answer;
}

}  // namespace

std::optional<std::string> KeyringPasswords::read(const std::string& account) {
  auto* job = new QKeychain::ReadPasswordJob(kService);
  job->setKey(QString::fromStdString(account));
  const auto answer = runJob(job);
  if (!answer->done || !answer->ok) return std::nullopt;
  return answer->text.toStdString();
}

bool KeyringPasswords::write(const std::string& account, const std::string& password) {
  auto* job = new QKeychain::WritePasswordJob(kService);
  job->setKey(QString::fromStdString(account));
  job->setTextData(QString::fromStdString(password));
  const auto answer = runJob(job);
  return answer->done && answer->ok;
}

}  // namespace xyla::gui
