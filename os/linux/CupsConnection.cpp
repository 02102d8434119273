#include "os/linux/CupsConnection.h"

namespace os::linux_platform {

namespace {
// A scheduler that answers at all answers at once; a dead one should not hold a caller long.
constexpr int kConnectTimeoutMs = 5000;
}  // namespace

// libcups keeps the server it found first; forgetting it makes it read the environment anew,
// so that a CUPS_SERVER set since then counts.
CupsServer CupsServer::fromEnvironment() {
  cupsSetServer(nullptr);
  return {cupsServer(), ippPort()};
}

UniqueHttp connectToCups(const CupsServer& server) {
  return UniqueHttp(httpConnect2(server.host.c_str(), server.port, nullptr, AF_UNSPEC,
                                 cupsEncryption(), 1, kConnectTimeoutMs, nullptr));
}

std::string cupsPrinterUri(const std::string& queue) {
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                   "/printers/%s", queue.c_str());
  return uri;
}

}  // namespace os::linux_platform
