// Whether a tcp or http target of the readiness gate answers. Winsock is loaded on first use
// only: a service without a network target never maps ws2_32.dll, and no launcher start pays for
// it.
#include "service/net_probe_win.h"

#include <winsock2.h>
#include <ws2tcpip.h>
// After winsock2.h:
#include <windows.h>

#include <string>
#include <utility>

#include "core/handle_win.h"

namespace quorv {
namespace {

struct Winsock {
  decltype(&WSAStartup) startup = nullptr;
  decltype(&getaddrinfo) resolve = nullptr;
  decltype(&freeaddrinfo) freeAddresses = nullptr;
  decltype(&socket) open = nullptr;
  decltype(&ioctlsocket) control = nullptr;
  decltype(&connect) connectTo = nullptr;
  decltype(&select) wait = nullptr;
  decltype(&getsockopt) option = nullptr;
  decltype(&send) sendTo = nullptr;
  decltype(&recv) receive = nullptr;
  decltype(&closesocket) close = nullptr;
  decltype(&WSAGetLastError) lastError = nullptr;
  bool ready = false;
};

template <typename Function>
void load(HMODULE library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

const Winsock& winsock() {
  static Winsock w;
  static bool loaded = false;
  if (loaded) return w;
  loaded = true;
  HMODULE library = LoadLibraryExA("ws2_32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (library == nullptr) library = LoadLibraryA("ws2_32.dll");
  if (library == nullptr) return w;
  load(library, "WSAStartup", w.startup);
  load(library, "getaddrinfo", w.resolve);
  load(library, "freeaddrinfo", w.freeAddresses);
  load(library, "socket", w.open);
  load(library, "ioctlsocket", w.control);
  load(library, "connect", w.connectTo);
  load(library, "select", w.wait);
  load(library, "getsockopt", w.option);
  load(library, "send", w.sendTo);
  load(library, "recv", w.receive);
  load(library, "closesocket", w.close);
  load(library, "WSAGetLastError", w.lastError);
  WSADATA data;
  w.ready = w.startup && w.resolve && w.freeAddresses && w.open && w.control && w.connectTo && w.wait && w.option &&
            w.sendTo && w.receive && w.close && w.lastError && w.startup(MAKEWORD(2, 2), &data) == 0;
  return w;
}

// Sockets: closesocket of the loaded library, which exists once a socket does.
struct SocketKind {
  using Raw = SOCKET;
  static Raw none() { return INVALID_SOCKET; }
  static bool valid(Raw raw) { return raw != INVALID_SOCKET; }
  static void close(Raw raw) { winsock().close(raw); }
};
using Socket = Owned<SocketKind>;

timeval timeoutOf(uint32_t ms) {
  timeval t;
  t.tv_sec = static_cast<long>(ms / 1000);
  t.tv_usec = static_cast<long>((ms % 1000) * 1000);
  return t;
}

bool inSet(const fd_set& set, SOCKET s) {
  for (u_int i = 0; i < set.fd_count; ++i)
    if (set.fd_array[i] == s) return true;
  return false;
}

// Waits until `s` can be written (connected) or read, within `ms`.
bool waitFor(const Winsock& w, SOCKET s, bool write, uint32_t ms) {
  fd_set ready, failed;
  ready.fd_count = 1;
  ready.fd_array[0] = s;
  failed.fd_count = 1;
  failed.fd_array[0] = s;
  timeval t = timeoutOf(ms);
  if (w.wait(0, write ? nullptr : &ready, write ? &ready : nullptr, &failed, &t) <= 0) return false;
  return inSet(ready, s) && !inSet(failed, s);
}

// A connected socket to the target, within `ms`; none when none could be had.
Socket connectWithin(const Winsock& w, const ReadyTarget& target, uint32_t ms) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* addresses = nullptr;
  if (w.resolve(target.host.c_str(), std::to_string(target.port).c_str(), &hints, &addresses) != 0) {
    return Socket();
  }
  Socket connected;
  for (addrinfo* a = addresses; a != nullptr && !connected; a = a->ai_next) {
    Socket s(w.open(a->ai_family, a->ai_socktype, a->ai_protocol));
    if (!s) continue;
    u_long nonBlocking = 1;
    w.control(s.get(), FIONBIO, &nonBlocking);
    bool ok = w.connectTo(s.get(), a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0;
    if (!ok && w.lastError() == WSAEWOULDBLOCK && waitFor(w, s.get(), true, ms)) {
      int error = 0;
      int size = sizeof error;
      ok = w.option(s.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 && error == 0;
    }
    if (ok) connected = std::move(s);
  }
  w.freeAddresses(addresses);
  return connected;
}

// The first bytes of the answer to a GET, up to the end of its status line.
bool httpSucceeds(const Winsock& w, SOCKET s, const ReadyTarget& target, uint32_t ms) {
  const std::string request = httpGetRequest(target);
  for (std::size_t sent = 0; sent < request.size();) {
    if (!waitFor(w, s, true, ms)) return false;
    const int n = w.sendTo(s, request.data() + sent, static_cast<int>(request.size() - sent), 0);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  std::string answer;
  while (answer.find('\n') == std::string::npos && answer.size() < 256) {
    if (!waitFor(w, s, false, ms)) break;
    char buffer[256];
    const int n = w.receive(s, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    answer.append(buffer, static_cast<std::size_t>(n));
  }
  return httpAnswersSuccess(answer);
}

}  // namespace

bool targetAnswers(const ReadyTarget& target, uint32_t timeoutMs) {
  const Winsock& w = winsock();
  if (!w.ready || target.kind == ReadyTarget::Notify) return false;
  const Socket s = connectWithin(w, target, timeoutMs);
  if (!s) return false;
  return target.kind == ReadyTarget::Tcp || httpSucceeds(w, s.get(), target, timeoutMs);
}

}  // namespace quorv
