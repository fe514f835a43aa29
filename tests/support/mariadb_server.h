#pragma once

#include <memory>
#include <string>

class QProcess;
class QTemporaryDir;

namespace xyla::test {

// A private MariaDB server for tests and benchmarks: a fresh data directory in a
// temporary folder, a socket there and a free port on 127.0.0.1. It has a database
// "xylatest" and an account "xyla" (password `password()`) that may do anything in it.
// The server stops and its folder goes when the object is destroyed.
class MariaDbServer {
 public:
  // Starts the server; `error()` says why when it could not.
  MariaDbServer();
  ~MariaDbServer();
  MariaDbServer(const MariaDbServer&) = delete;
  MariaDbServer& operator=(const MariaDbServer&) = delete;

  // True when the server programs are not installed (tests then skip).
  static bool missing();

  bool running() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  int port() const { return port_; }
  // The server's process id, for tests that stop or kill it.
  long long pid() const;
  static std::string host() { return "127.0.0.1"; }
  static std::string user() { return "xyla"; }
  static std::string password() { return "pw-never-shown"; }
  static std::string database() { return "xylatest"; }

  // Runs SQL statements (separated by ";" at line ends) as the server's root; answers
  // the first error message, "" when all succeeded.
  std::string run(const std::string& statements) const;

 private:
  std::string start();

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<QProcess> server_;
  int port_ = 0;
  std::string error_;
};

}  // namespace xyla::test
