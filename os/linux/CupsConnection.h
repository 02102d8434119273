// Owners of libcups objects, and the scheduler a client speaks to.
#pragma once

#include <cups/cups.h>

#include <memory>
#include <string>

namespace os::linux_platform {

struct HttpCloser {
  void operator()(http_t* http) const { httpClose(http); }
};
struct IppDeleter {
  void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using UniqueHttp = std::unique_ptr<http_t, HttpCloser>;
using UniqueIpp = std::unique_ptr<ipp_t, IppDeleter>;

// A scheduler: a host name with its port, or a domain socket's path (port unused). The default
// is the one CUPS itself would ask: CUPS_SERVER, then client.conf, then the local scheduler.
struct CupsServer {
  std::string host;
  int port = 0;

  static CupsServer fromEnvironment();
};

// A connection to the scheduler, or null when none answers.
UniqueHttp connectToCups(const CupsServer& server);

// The printer's URI on that scheduler, as IPP requests name it.
std::string cupsPrinterUri(const std::string& queue);

}  // namespace os::linux_platform
