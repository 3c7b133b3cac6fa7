// Figures for the transport's ReadLn, each beside a peer measured in the
// same run:
//  (a) the CPU time a ReadLn uses while it waits 3 s for a silent server,
//      against the wall time of the wait (goal: under 2 % of one core);
//  (b) reading a 10 MB stream of 78-byte lines with ReadLn, and with the
//      bulk ReadLines, against a plain recv() loop over the same bytes
//      (goal: within 3 times);
//  (c) the CPU time of an idle application (its event loop running) while
//      a connection holds bytes that nobody reads, against the wall time.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "net/LineSocket.h"

namespace {

constexpr std::size_t kStreamBytes = 10u * 1024u * 1024u;
constexpr std::size_t kLineBytes = 78;  // 76 characters and CR LF

double Seconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// A listener on 127.0.0.1 whose connections a thread serves one by one.
class Server {
 public:
  Server() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd_, 4) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      throw std::runtime_error("cannot listen");
    port_ = ntohs(address.sin_port);
  }
  ~Server() { ::close(fd_); }
  int Port() const { return port_; }

  // Accepts one connection, waits, sends bytes and closes.
  std::thread Serve(std::chrono::milliseconds delay, std::string bytes) {
    return std::thread([this, delay, bytes = std::move(bytes)] {
      const int connection = ::accept(fd_, nullptr, nullptr);
      if (connection < 0) return;
      std::this_thread::sleep_for(delay);
      std::size_t sent = 0;
      while (sent < bytes.size()) {
        const ssize_t n = ::send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
      }
      ::close(connection);
    });
  }

 private:
  int fd_ = -1;
  int port_ = 0;
};

void ConnectTo(net::TLineSocket& socket, int port) {
  socket.Host = "127.0.0.1";
  socket.Port = port;
  socket.Connect();
}

void SilentServerWait() {
  Server server;
  std::thread serving = server.Serve(std::chrono::milliseconds(3000), "+OK at last\r\n");
  net::TLineSocket socket(nullptr);
  ConnectTo(socket, server.Port());
  const double wallStart = Seconds(CLOCK_MONOTONIC);
  const double cpuStart = Seconds(CLOCK_PROCESS_CPUTIME_ID);
  std::string line;
  socket.ReadLn(line);
  const double cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
  const double wall = Seconds(CLOCK_MONOTONIC) - wallStart;
  serving.join();
  std::printf("(a) ReadLn on a silent server: wall %.3f s, CPU %.4f s = %.3f %% of one core (goal < 2 %%)%s\n", wall,
              cpu, 100.0 * cpu / wall, line == "+OK at last\r\n" ? "" : "  [WRONG LINE]");
}

std::string LineStream() {
  std::string stream;
  stream.reserve(kStreamBytes + kLineBytes);
  for (std::size_t i = 0; stream.size() + kLineBytes <= kStreamBytes; ++i) {
    char number[16];
    std::snprintf(number, sizeof number, "%08zu ", i);
    std::string line = number;
    line.append(kLineBytes - 2 - line.size(), 'x');
    stream += line + "\r\n";
  }
  return stream;
}

double ReadWithReadLn(const std::string& stream, std::size_t& lines) {
  Server server;
  std::thread serving = server.Serve(std::chrono::milliseconds(0), stream);
  net::TLineSocket socket(nullptr);
  ConnectTo(socket, server.Port());
  const double start = Seconds(CLOCK_MONOTONIC);
  std::string line;
  lines = 0;
  for (socket.ReadLn(line); !line.empty(); socket.ReadLn(line)) ++lines;
  const double elapsed = Seconds(CLOCK_MONOTONIC) - start;
  serving.join();
  return elapsed;
}

double ReadWithReadLines(const std::string& stream, std::size_t& lines) {
  Server server;
  std::thread serving = server.Serve(std::chrono::milliseconds(0), stream);
  net::TLineSocket socket(nullptr);
  ConnectTo(socket, server.Port());
  const double start = Seconds(CLOCK_MONOTONIC);
  std::vector<std::string> batch;
  lines = 0;
  while (socket.ReadLines(batch, 4096, false)) lines += batch.size();
  const double elapsed = Seconds(CLOCK_MONOTONIC) - start;
  serving.join();
  return elapsed;
}

// A blocking connection to a server thread that sends stream and closes.
int ConnectPlain(const Server& server) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(server.Port()));
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    throw std::runtime_error("cannot connect");
  return fd;
}

// The peer: large receives, lines found in user space.
double ReadWithRecv(const std::string& stream, std::size_t& lines) {
  Server server;
  std::thread serving = server.Serve(std::chrono::milliseconds(0), stream);
  const int fd = ConnectPlain(server);
  const double start = Seconds(CLOCK_MONOTONIC);
  static char buffer[65536];
  lines = 0;
  for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
    for (const char* p = buffer; (p = static_cast<const char*>(std::memchr(p, '\n', buffer + n - p))) != nullptr; ++p)
      ++lines;
  }
  const double elapsed = Seconds(CLOCK_MONOTONIC) - start;
  ::close(fd);
  serving.join();
  return elapsed;
}

// The least that peek-then-take costs: per line one peek and one receive,
// nothing else (blocking socket, no events, no status).
double ReadWithPeekAndTake(const std::string& stream, std::size_t& lines) {
  Server server;
  std::thread serving = server.Serve(std::chrono::milliseconds(0), stream);
  const int fd = ConnectPlain(server);
  const double start = Seconds(CLOCK_MONOTONIC);
  static char buffer[512];
  lines = 0;
  for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, MSG_PEEK)) > 0;) {
    const char* lineFeed = static_cast<const char*>(std::memchr(buffer, '\n', static_cast<std::size_t>(n)));
    const std::size_t take =
        lineFeed != nullptr ? static_cast<std::size_t>(lineFeed - buffer) + 1 : static_cast<std::size_t>(n);
    if (::recv(fd, buffer, take, 0) <= 0) break;
    lines += lineFeed != nullptr ? 1 : 0;
  }
  const double elapsed = Seconds(CLOCK_MONOTONIC) - start;
  ::close(fd);
  serving.join();
  return elapsed;
}

void LineStreamThroughput() {
  const std::string stream = LineStream();
  const double megabytes = static_cast<double>(stream.size()) / (1024.0 * 1024.0);
  std::size_t readLnLines = 0;
  std::size_t recvLines = 0;
  std::size_t peekLines = 0;
  std::size_t bulkLines = 0;
  const double recvTime = ReadWithRecv(stream, recvLines);
  const double peekTime = ReadWithPeekAndTake(stream, peekLines);
  const double readLnTime = ReadWithReadLn(stream, readLnLines);
  const double bulkTime = ReadWithReadLines(stream, bulkLines);
  const bool same = readLnLines == recvLines && peekLines == recvLines && bulkLines == recvLines;
  std::printf("(b) %.1f MB of %zu-byte lines (%zu lines%s)\n", megabytes, kLineBytes, recvLines,
              same ? "" : ", LINE COUNTS DIFFER");
  std::printf("    recv loop, 64 KiB at a time   %.3f s  %6.0f MB/s\n", recvTime, megabytes / recvTime);
  std::printf("    peek and take per line, bare  %.3f s  %6.0f MB/s  (%.2f x recv loop)\n", peekTime,
              megabytes / peekTime, peekTime / recvTime);
  std::printf(
      "    ReadLn                        %.3f s  %6.0f MB/s  (%.2f x recv loop, goal <= 3; %.2f x bare peek "
      "and take)\n",
      readLnTime, megabytes / readLnTime, readLnTime / recvTime, readLnTime / peekTime);
  std::printf("    ReadLines, bulk               %.3f s  %6.0f MB/s  (%.2f x recv loop; %.2f x ReadLn)\n", bulkTime,
              megabytes / bulkTime, bulkTime / recvTime, bulkTime / readLnTime);
}

void IdleWithUnreadBytes() {
  Server server;
  std::thread serving = server.Serve(std::chrono::milliseconds(0), std::string(4096, 'u'));
  net::TLineSocket socket(nullptr);
  ConnectTo(socket, server.Port());
  serving.join();  // the bytes are queued (and the peer has closed)
  const double wallStart = Seconds(CLOCK_MONOTONIC);
  const double cpuStart = Seconds(CLOCK_PROCESS_CPUTIME_ID);
  QTimer::singleShot(2000, QCoreApplication::instance(), &QCoreApplication::quit);
  QCoreApplication::exec();
  const double cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
  const double wall = Seconds(CLOCK_MONOTONIC) - wallStart;
  std::printf("(c) idle event loop, 4 KiB unread: wall %.3f s, CPU %.4f s = %.3f %% of one core%s\n", wall, cpu,
              100.0 * cpu / wall, socket.DataAvailable() ? "" : "  [BYTES GONE]");
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  SilentServerWait();
  LineStreamThroughput();
  IdleWithUnreadBytes();
  return 0;
}
