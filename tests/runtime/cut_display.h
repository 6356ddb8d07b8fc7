// A display that stands between its clients and a real X server: each
// connection's bytes pass both ways as they are, until the connection is
// cut as a dying server cuts it, or one request is answered with an error
// as a server that refuses it answers. Clients reach it as ":N" through
// the abstract socket name the X library tries first; the lock file of
// that number keeps display servers that pick their own number away.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class CutDisplay {
 public:
  static constexpr size_t kNever = SIZE_MAX;

  // Picks out a request from its first bytes (at most 16, in the client's
  // byte order).
  using Pick = std::function<bool(const unsigned char* request, size_t size)>;
  static Pick opcode(int major) {
    return [major](const unsigned char* r, size_t) { return r[0] == major; };
  }

  // What goes wrong on each connection.
  struct Fault {
    // The connection is cut once the server has sent this many bytes
    // after its setup reply, or after the first request `cutFrom` picks
    // out when there is one; 0 cuts it right there.
    size_t cutAfter = kNever;
    Pick cutFrom = nullptr;
    // The first request `refuse` picks out is answered with the error
    // `refuseError` in place of its reply.
    Pick refuse = nullptr;
    int refuseError = 0;
  };

  // `server` names the real display, such as ":3".
  CutDisplay(const std::string& server, Fault fault) : fault_(std::move(fault)) {
    if (pipe2(wake_, O_CLOEXEC) != 0) return;
    for (int n = 200; n < 1000 && listen_ < 0; ++n) claim(n);
    if (listen_ < 0) return;
    serverPath_ = "/tmp/.X11-unix/X" + server.substr(server.find(':') + 1);
    thread_ = std::thread([this] { serve(); });
  }
  ~CutDisplay() {
    if (thread_.joinable()) {
      stop_ = true;
      (void)!write(wake_[1], "s", 1);
      thread_.join();
    }
    if (listen_ >= 0) close(listen_);
    if (!lock_.empty()) unlink(lock_.c_str());
    for (int fd : wake_)
      if (fd >= 0) close(fd);
  }
  CutDisplay(const CutDisplay&) = delete;
  CutDisplay& operator=(const CutDisplay&) = delete;

  bool ok() const { return thread_.joinable(); }
  const std::string& name() const { return name_; }  // such as ":201"
  // Cuts every connection open now.
  void cutNow() {
    cutAll_ = true;
    (void)!write(wake_[1], "c", 1);
  }
  int cuts() const { return cuts_; }
  int refusals() const { return refusals_; }

 private:
  // One client's connection and the one made for it to the server. Each
  // direction is followed packet by packet: the client's to number its
  // requests and find the ones the fault picks out, the server's to
  // replace the refused reply and count the bytes up to the cut.
  struct Link {
    int client = -1, server = -1;
    bool bigEndian = false;
    // The client's stream.
    bool setupSent = false;
    size_t requestAt = 0, requestLength = 0;  // 0: not known yet
    unsigned char requestHead[16] = {};
    uint32_t requests = 0;  // numbered from 1 after the setup request
    int refusedSequence = -1;
    unsigned char refusedOpcode = 0;
    // The server's stream.
    bool setupReceived = false, replacing = false, refused = false;
    size_t packetAt = 0, packetLength = 0;
    unsigned char packetHead[8] = {};
    // Counting the bytes up to the cut.
    bool counting = false, cutDue = false;
    size_t counted = 0;
  };

  static uint32_t number(const unsigned char* p, bool bigEndian, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(p[bigEndian ? bytes - 1 - i : i]) << (8 * i);
    return v;
  }
  static size_t padded(size_t n) { return (n + 3) & ~size_t{3}; }

  // Takes display number n if its lock file and its socket name are free.
  void claim(int n) {
    std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
    int fd = open(lock.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0444);
    if (fd < 0) return;
    char pid[16];
    int len = std::snprintf(pid, sizeof pid, "%10d\n", static_cast<int>(getpid()));
    bool written = write(fd, pid, len) == len;
    close(fd);
    int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::string path = "/tmp/.X11-unix/X" + std::to_string(n);
    std::memcpy(a.sun_path + 1, path.data(), path.size());  // abstract: a leading NUL
    socklen_t size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + path.size());
    if (written && s >= 0 && bind(s, reinterpret_cast<sockaddr*>(&a), size) == 0 && listen(s, 8) == 0) {
      listen_ = s;
      lock_ = lock;
      name_ = ":" + std::to_string(n);
      return;
    }
    if (s >= 0) close(s);
    unlink(lock.c_str());
  }

  int connectServer() const {
    int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::memcpy(a.sun_path, serverPath_.data(), serverPath_.size());
    if (s >= 0 && connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return s;
    if (s >= 0) close(s);
    return -1;
  }

  static bool writeAll(int fd, const unsigned char* p, size_t n) {
    while (n > 0) {
      ssize_t w = write(fd, p, n);
      if (w <= 0) return false;
      p += w;
      n -= static_cast<size_t>(w);
    }
    return true;
  }

  void startCounting(Link& l) {
    l.counting = true;
    l.cutDue = fault_.cutAfter == 0;
  }

  // Follows the client's requests; their bytes go on unchanged.
  void followClient(Link& l, const unsigned char* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      if (l.requestAt < sizeof l.requestHead) l.requestHead[l.requestAt] = p[i];
      ++l.requestAt;
      const unsigned char* h = l.requestHead;
      if (l.requestLength == 0) {
        if (!l.setupSent && l.requestAt == 12) {
          l.bigEndian = h[0] == 'B';
          l.requestLength =
              12 + padded(number(h + 6, l.bigEndian, 2)) + padded(number(h + 8, l.bigEndian, 2));
        } else if (l.setupSent && l.requestAt == 4 && number(h + 2, l.bigEndian, 2) != 0) {
          l.requestLength = 4 * size_t{number(h + 2, l.bigEndian, 2)};
        } else if (l.setupSent && l.requestAt == 8) {
          l.requestLength = 4 * size_t{number(h + 4, l.bigEndian, 4)};  // a big request
        }
        if (l.requestLength != 0 && l.setupSent) ++l.requests;
      }
      size_t head = std::min(l.requestLength, sizeof l.requestHead);
      if (l.setupSent && l.requestAt == head) {
        if (fault_.refuse && l.refusedSequence < 0 && fault_.refuse(h, head)) {
          l.refusedSequence = static_cast<int>(l.requests & 0xffff);
          l.refusedOpcode = h[0];
        }
        if (fault_.cutFrom && !l.counting && fault_.cutFrom(h, head)) startCounting(l);
      }
      if (l.requestLength != 0 && l.requestAt == l.requestLength) {
        l.setupSent = true;
        l.requestAt = l.requestLength = 0;
      }
    }
  }

  // Appends the server's bytes that the client is to get, up to the cut.
  void pass(Link& l, const unsigned char* p, size_t n, std::vector<unsigned char>& out) {
    if (l.counting) {
      n = std::min(n, fault_.cutAfter - l.counted);
      l.counted += n;
      l.cutDue = l.counted == fault_.cutAfter;
    }
    out.insert(out.end(), p, p + n);
  }

  // The server's bytes as the client is to get them: the refused reply
  // replaced by its error, and nothing after the cut.
  void passServer(Link& l, const unsigned char* p, size_t n, std::vector<unsigned char>& out) {
    out.clear();
    for (size_t i = 0; i < n && !l.cutDue;) {
      if (l.packetAt < sizeof l.packetHead) {
        l.packetHead[l.packetAt++] = p[i++];
        if (l.packetAt == sizeof l.packetHead) headerDone(l, out);
      } else {
        size_t run = std::min(n - i, l.packetLength - l.packetAt);
        if (!l.replacing) pass(l, p + i, run, out);
        l.packetAt += run;
        i += run;
      }
      if (l.packetAt == l.packetLength) {
        bool wasSetup = !l.setupReceived;
        l.setupReceived = true;
        l.packetAt = l.packetLength = 0;
        l.replacing = false;
        if (wasSetup && !fault_.cutFrom) startCounting(l);
      }
    }
  }

  // Every packet is at least 8 bytes long; they tell its length.
  void headerDone(Link& l, std::vector<unsigned char>& out) {
    const unsigned char* h = l.packetHead;
    if (!l.setupReceived)
      l.packetLength = 8 + 4 * size_t{number(h + 6, l.bigEndian, 2)};
    else if (h[0] == 1 || (h[0] & 0x7f) == 35)
      l.packetLength = 32 + 4 * size_t{number(h + 4, l.bigEndian, 4)};
    else
      l.packetLength = 32;  // an error or an event
    l.replacing = l.setupReceived && h[0] == 1 && !l.refused &&
                  static_cast<int>(number(h + 2, l.bigEndian, 2)) == l.refusedSequence;
    if (!l.replacing) return pass(l, h, sizeof l.packetHead, out);
    unsigned char error[32] = {0, static_cast<unsigned char>(fault_.refuseError), h[2], h[3]};
    error[10] = l.refusedOpcode;
    l.refused = true;
    ++refusals_;
    pass(l, error, sizeof error, out);
  }

  // Counted first: the client may end as soon as it sees the cut, and
  // whoever waited for that reads the count then.
  void cut(Link& l) {
    ++cuts_;
    shutdown(l.client, SHUT_RDWR);
    shutdown(l.server, SHUT_RDWR);
  }

  // Reads what waits on one side of a link and passes it on; false once
  // the link is closed.
  bool forward(Link& l, bool fromClient, std::vector<unsigned char>& buffer,
               std::vector<unsigned char>& out) {
    ssize_t got = read(fromClient ? l.client : l.server, buffer.data(), buffer.size());
    if (got <= 0) return false;
    size_t n = static_cast<size_t>(got);
    bool sent;
    if (fromClient) {
      followClient(l, buffer.data(), n);
      sent = writeAll(l.server, buffer.data(), n);
    } else {
      passServer(l, buffer.data(), n, out);
      sent = writeAll(l.client, out.data(), out.size());
    }
    if (sent && l.cutDue) cut(l);
    return sent && !l.cutDue;
  }

  void serve() {
    std::vector<std::unique_ptr<Link>> links;
    std::vector<unsigned char> buffer(1 << 16), out;
    auto drop = [](Link& l) {
      close(l.client);
      close(l.server);
      l.client = -1;
    };
    while (!stop_) {
      if (cutAll_.exchange(false))
        for (auto& l : links)
          if (l->client >= 0) cut(*l), drop(*l);
      std::vector<pollfd> fds = {{listen_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
      for (auto& l : links)
        if (l->client >= 0) fds.push_back({l->client, POLLIN, 0}), fds.push_back({l->server, POLLIN, 0});
      if (poll(fds.data(), fds.size(), -1) < 0) continue;
      if (fds[1].revents) {
        char c;
        (void)!read(wake_[0], &c, 1);
      }
      size_t at = 2;
      for (auto& l : links) {
        if (l->client < 0) continue;
        bool fromClient = fds[at++].revents != 0, fromServer = fds[at++].revents != 0;
        if ((fromClient && !forward(*l, true, buffer, out)) ||
            (fromServer && !forward(*l, false, buffer, out)))
          drop(*l);
      }
      if (fds[0].revents & POLLIN) {
        int client = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
        int server = client >= 0 ? connectServer() : -1;
        if (server >= 0) {
          links.push_back(std::make_unique<Link>());
          links.back()->client = client, links.back()->server = server;
        } else if (client >= 0) {
          close(client);
        }
      }
    }
    for (auto& l : links)
      if (l->client >= 0) drop(*l);
  }

  Fault fault_;
  int wake_[2] = {-1, -1};
  int listen_ = -1;
  std::string lock_, name_, serverPath_;
  std::thread thread_;
  std::atomic<bool> stop_{false}, cutAll_{false};
  std::atomic<int> cuts_{0}, refusals_{0};
};
