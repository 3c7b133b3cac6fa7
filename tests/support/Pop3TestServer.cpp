#include "tests/support/Pop3TestServer.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <map>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace testsupport {

namespace {

std::string ReadFirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  if (!in || !std::getline(in, line)) {
    throw std::runtime_error("cannot read " + path + " (was scripts/pop3-server.sh started?)");
  }
  return line;
}

std::runtime_error SystemError(const std::string& what) {
  return std::runtime_error(what + ": " + std::strerror(errno));
}

// The entries of folder whose names start with prefix (a message's file
// in cur/ carries its flags after the name it had in new/).
int CountFiles(const std::string& folder, const std::string& prefix = std::string()) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return 0;
  int count = 0;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] != '.' && std::string(entry->d_name).rfind(prefix, 0) == 0) ++count;
  }
  closedir(dir);
  return count;
}

void DeleteFiles(const std::string& folder) {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
    if (entry.is_regular_file()) std::filesystem::remove(entry.path(), ignored);
  }
}

void WriteAll(int fd, const std::string& data, const std::string& path) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw SystemError("cannot write " + path);
    done += static_cast<std::size_t>(n);
  }
}

// Maildir keeps LF line ends; the servers turn them into CR LF on the wire.
std::string ToMaildirText(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  if (out.empty() || out.back() != '\n') out += '\n';
  return out;
}

ServerKind ReadServerKind(const std::string& dir) {
  std::ifstream in(dir + "/server");
  std::string name;
  // Folders started before the server was recorded hold Dovecot.
  if (!in || !std::getline(in, name) || name == "dovecot") return ServerKind::Dovecot;
  if (name == "courier") return ServerKind::Courier;
  throw std::runtime_error("unknown server '" + name + "' in " + dir + "/server");
}

// Courier names the client's port on every line of a connection, but the
// user only on some: "port=[N]" ties them together.
std::string PortMark(const std::string& line) {
  auto start = line.find("port=[");
  if (start == std::string::npos) return {};
  auto end = line.find(']', start);
  return end == std::string::npos ? std::string() : line.substr(start, end + 1 - start);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

std::string ServerKindName(ServerKind kind) {
  return kind == ServerKind::Courier ? "Courier" : "Dovecot";
}

const char* Pop3TestServer::DirVariable(ServerKind kind) {
  return kind == ServerKind::Courier ? kCourierDirVariable : kDirVariable;
}

std::optional<Pop3TestServer> Pop3TestServer::FromEnvironment(const char* variable) {
  const char* dir = std::getenv(variable);
  if (dir == nullptr || *dir == '\0') return std::nullopt;
  return Pop3TestServer(dir);
}

Pop3TestServer::Pop3TestServer(std::string dir) : dir_(std::move(dir)) {
  kind_ = ReadServerKind(dir_);
  address_ = ReadFirstLine(dir_ + "/address");
  port_ = std::stoi(ReadFirstLine(dir_ + "/port"));
  if (std::filesystem::exists(dir_ + "/tls-port")) tlsPort_ = std::stoi(ReadFirstLine(dir_ + "/tls-port"));
  std::ifstream in(dir_ + "/users");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    User user;
    if (fields >> user.name >> user.password >> user.maildir) users_.push_back(user);
  }
  if (users_.empty()) throw std::runtime_error("no test users listed in " + dir_ + "/users");
}

std::string Pop3TestServer::FaultAddress(const std::string& fault) const {
  std::ifstream in(dir_ + "/tls/faults");
  std::string name, address;
  while (in >> name >> address) {
    if (name == fault) return address;
  }
  throw std::runtime_error("no certificate fault '" + fault + "' listed in " + dir_ + "/tls/faults");
}

std::string Pop3TestServer::LogPath() const {
  return dir_ + (kind_ == ServerKind::Courier ? "/log/courier.log" : "/log/dovecot.log");
}

const ServerLogMarks& Pop3TestServer::LogMarks() const {
  static const ServerLogMarks dovecot{"Login: ", "Disconnected: Logged out",
                                      "Aborted login by logging out (auth failed"};
  // courierpop3d writes LOGOUT with the user; courierpop3login, before a
  // log-in succeeded, without it ("DEBUG: Disconnected" when the client
  // hung up instead).
  static const ServerLogMarks courier{"INFO: LOGIN, user=", "INFO: LOGOUT, user=", "INFO: LOGOUT, ip="};
  return kind_ == ServerKind::Courier ? courier : dovecot;
}

std::uintmax_t Pop3TestServer::LogSize() const {
  std::error_code error;
  auto size = std::filesystem::file_size(LogPath(), error);
  return error ? 0 : size;
}

std::string Pop3TestServer::LogSince(std::uintmax_t offset) const {
  std::ifstream in(LogPath(), std::ios::binary);
  in.seekg(static_cast<std::streamoff>(offset));
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

Mailbox::Mailbox(const Pop3TestServer& server) : server_(server) {
  std::string lockDir = server.Dir() + "/locks";
  if (::mkdir(lockDir.c_str(), 0755) != 0 && errno != EEXIST) throw SystemError("cannot create " + lockDir);
  for (int pass = 0; pass < 2 && lockFd_ < 0; ++pass) {
    for (const auto& user : server.Users()) {
      std::string path = lockDir + "/" + user.name + ".lock";
      int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
      if (fd < 0) throw SystemError("cannot open " + path);
      // The second pass waits for the first user rather than failing.
      int flags = pass == 0 ? LOCK_EX | LOCK_NB : LOCK_EX;
      if (::flock(fd, flags) == 0) {
        lockFd_ = fd;
        user_ = user;
        break;
      }
      ::close(fd);
    }
  }
  if (lockFd_ < 0) throw std::runtime_error("no test mailbox could be claimed");
}

Mailbox::~Mailbox() {
  if (lockFd_ >= 0) ::close(lockFd_);
}

void Mailbox::Reset() {
  for (const char* sub : {"/cur", "/new", "/tmp"}) DeleteFiles(user_.maildir + sub);
}

std::int64_t Mailbox::AddMessage(const std::string& text) {
  static std::atomic<int> sequence{0};
  const std::string data = ToMaildirText(text);
  const auto lines = static_cast<std::int64_t>(std::count(data.begin(), data.end(), '\n'));
  const auto wireSize = static_cast<std::int64_t>(data.size()) + lines;

  struct stat owner {};
  if (::stat((user_.maildir + "/new").c_str(), &owner) != 0) throw SystemError("cannot stat " + user_.maildir);
  // Dovecot orders new mail by the time and the number after "M" (read as
  // microseconds), Courier by the time and then the name as text: six
  // digits keep both orders the order of adding.
  int seq = ++sequence;
  std::ostringstream name;
  name << std::time(nullptr) << ".M" << std::setw(6) << std::setfill('0') << seq % 1000000 << "P" << ::getpid()
       << "Q" << seq << ".pop3check-test,S=" << data.size() << ",W=" << wireSize;
  std::string tmp = user_.maildir + "/tmp/" + name.str();
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) throw SystemError("cannot create " + tmp);
  try {
    WriteAll(fd, data, tmp);
    if (::fchown(fd, owner.st_uid, owner.st_gid) != 0) throw SystemError("cannot chown " + tmp);
  } catch (...) {
    ::close(fd);
    ::unlink(tmp.c_str());
    throw;
  }
  ::close(fd);
  std::string target = user_.maildir + "/new/" + name.str();
  if (::rename(tmp.c_str(), target.c_str()) != 0) throw SystemError("cannot move " + tmp);
  return wireSize;
}

// Dovecot's list of a Maildir's messages (dovecot-uidlist): a header line,
// then "uid [fields] :file name" per message; the field "P" holds the POP3
// unique id of a message brought from another server.
void Mailbox::SetUniqueIds(const std::vector<std::string>& ids) {
  const std::string path = user_.maildir + "/dovecot-uidlist";
  std::ifstream in(path);
  if (!in) throw SystemError("cannot read " + path);
  std::string header, line, out;
  std::getline(in, header);
  out = header + "\n";
  std::size_t next = 0;
  while (std::getline(in, line)) {
    const std::size_t fileStart = line.find(" :");
    const std::string file = fileStart == std::string::npos ? std::string() : line.substr(fileStart + 2);
    const bool present = !file.empty() && (::access((user_.maildir + "/new/" + file).c_str(), F_OK) == 0 ||
                                           CountFiles(user_.maildir + "/cur", file) > 0);
    if (present && next < ids.size()) {
      line = line.substr(0, line.find(' ')) + " P" + ids[next++] + line.substr(fileStart);
    }
    out += line + "\n";
  }
  if (next != ids.size()) throw std::runtime_error("the server has not seen every message of " + user_.name);
  struct stat owner {};
  if (::stat(path.c_str(), &owner) != 0) throw SystemError("cannot stat " + path);
  const std::string tmp = path + ".pop3check-test";
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) throw SystemError("cannot create " + tmp);
  WriteAll(fd, out, tmp);
  if (::fchown(fd, owner.st_uid, owner.st_gid) != 0) throw SystemError("cannot chown " + tmp);
  ::close(fd);
  if (::rename(tmp.c_str(), path.c_str()) != 0) throw SystemError("cannot move " + tmp);
}

int Mailbox::Count() const {
  return CountFiles(user_.maildir + "/cur") + CountFiles(user_.maildir + "/new");
}

std::vector<std::string> Mailbox::LogLinesSince(std::uintmax_t offset) const {
  const auto log = SplitLines(server_.LogSince(offset));
  auto namesUser = [&](const std::string& line) {
    // Dovecot names the user as user=<name>, pop3(name) or
    // passwd-file(name,...); Courier as user=name,.
    for (const char* after : {">", ")", ","}) {
      if (line.find(user_.name + after) != std::string::npos) return true;
    }
    return false;
  };
  // Per client port: whether its current connection has named this user.
  // Ports are reused, so each "Connection," line starts afresh.
  std::map<std::string, bool> ours;
  std::vector<std::string> lines;
  for (const auto& line : log) {
    const std::string port = PortMark(line);
    const bool named = namesUser(line);
    if (!port.empty()) {
      if (line.find("Connection, ") != std::string::npos) ours[port] = false;
      if (named) ours[port] = true;
    }
    if (named || (!port.empty() && ours[port])) lines.push_back(line);
  }
  return lines;
}

bool Mailbox::WaitForLog(std::uintmax_t offset, const std::string& text, int timeoutMs) const {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    for (const auto& line : LogLinesSince(offset)) {
      if (line.find(text) != std::string::npos) return true;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void DovecotTest::SetUp() {
  server_ = Pop3TestServer::FromEnvironment();
  if (!server_) GTEST_SKIP() << Pop3TestServer::kDirVariable << " is not set; no Dovecot test server";
  mailbox_.emplace(*server_);
  mailbox_->Reset();
}

void DovecotTest::TearDown() {
  mailbox_.reset();
}

void TlsDovecotTest::SetUp() {
  server_ = Pop3TestServer::FromEnvironment(Pop3TestServer::kTlsDirVariable);
  if (!server_) GTEST_SKIP() << Pop3TestServer::kTlsDirVariable << " is not set; no TLS Dovecot test server";
  if (server_->TlsPort() == 0) throw std::runtime_error(server_->Dir() + " runs without TLS (start it with --tls)");
  mailbox_.emplace(*server_);
  mailbox_->Reset();
}

void TlsDovecotTest::TearDown() { mailbox_.reset(); }

void ServerTest::SetUp() {
  const char* variable = Pop3TestServer::DirVariable(GetParam());
  server_ = Pop3TestServer::FromEnvironment(variable);
  if (!server_) GTEST_SKIP() << variable << " is not set; no " << ServerKindName(GetParam()) << " test server";
  if (server_->Kind() != GetParam()) {
    FAIL() << variable << " names a " << ServerKindName(server_->Kind()) << " instance (" << server_->Dir() << ")";
  }
  mailbox_.emplace(*server_);
  mailbox_->Reset();
}

void ServerTest::TearDown() {
  mailbox_.reset();
}

}  // namespace testsupport
