#include "support/mariadb_server.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>

namespace xyla::test {

namespace {

const char* const kServer = "/usr/sbin/mariadbd";
const char* const kInstall = "/usr/bin/mariadb-install-db";

// A port on 127.0.0.1 that nothing listens on right now.
int freePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return 0;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof a;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) == 0)
    port = ntohs(a.sin_port);
  ::close(fd);
  return port;
}

// The account options every server program gets: as root it must be told to run as root.
QStringList userOption() { return ::getuid() == 0 ? QStringList{"--user=root"} : QStringList{}; }

}  // namespace

bool MariaDbServer::missing() { return !std::filesystem::exists(kServer) || !std::filesystem::exists(kInstall); }

MariaDbServer::MariaDbServer() : dir_(std::make_unique<QTemporaryDir>()) {
  error_ = missing() ? "the MariaDB server (Debian mariadb-server) is not installed" : start();
}

std::string MariaDbServer::start() {
  const QString data = dir_->filePath("data");
  QProcess install;
  install.start(kInstall, QStringList{"--no-defaults", "--datadir=" + data, "--auth-root-authentication-method=normal",
                                      "--skip-test-db"} + userOption());
  if (!install.waitForFinished(120000) || install.exitCode() != 0)
    return "mariadb-install-db failed: " + install.readAllStandardError().toStdString();
  port_ = freePort();
  server_ = std::make_unique<QProcess>();
  // What the server says before its log file opens goes to a file of its own.
  server_->setStandardOutputFile(dir_->filePath("stdout"));
  server_->setStandardErrorFile(dir_->filePath("stderr"));
  server_->start(kServer, QStringList{"--no-defaults", "--datadir=" + data, "--socket=" + dir_->filePath("sock"),
                                      "--port=" + QString::number(port_), "--bind-address=127.0.0.1",
                                      "--pid-file=" + dir_->filePath("pid"), "--log-error=" + dir_->filePath("err"),
                                      "--skip-log-bin", "--skip-name-resolve", "--innodb-buffer-pool-size=32M", "--open-files-limit=1024",
                                      "--max-connections=20", "--table-open-cache=64"} +
                                          userOption());
  if (!server_->waitForStarted(10000)) return "mariadbd did not start";
  // Ready once root can log in over TCP; a server that died says so in its log.
  std::string last;
  for (int i = 0; i < 300; ++i) {
    last = run("SELECT 1");
    if (last.empty()) break;
    if (server_->state() == QProcess::NotRunning) return "mariadbd stopped: " + last;
    QThread::msleep(100);
  }
  if (!last.empty()) return "mariadbd did not answer: " + last;
  return run("CREATE DATABASE xylatest;\nCREATE USER 'xyla'@'%' IDENTIFIED BY '" + password() +
             "';\nGRANT ALL ON xylatest.* TO 'xyla'@'%'");
}

MariaDbServer::~MariaDbServer() {
  if (server_ && server_->state() != QProcess::NotRunning) {
    server_->terminate();
    if (!server_->waitForFinished(30000)) {
      server_->kill();
      server_->waitForFinished(5000);
    }
  }
}

std::string MariaDbServer::run(const std::string& statements) const {
  static std::atomic<int> serial = 0;
  const QString name = QString("xyla-test-root-%1").arg(++serial);
  std::string error;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QMYSQL", name);
    db.setHostName(QString::fromStdString(host()));
    db.setPort(port_);
    db.setUserName("root");
    if (!db.open()) {
      error = db.lastError().text().toStdString();
    } else {
      QSqlQuery q(db);
      for (const QString& s : QString::fromStdString(statements).split(";\n", Qt::SkipEmptyParts)) {
        if (!q.exec(s)) {
          error = q.lastError().text().toStdString();
          break;
        }
      }
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
  return error;
}

long long MariaDbServer::pid() const { return server_ ? server_->processId() : 0; }

}  // namespace xyla::test
