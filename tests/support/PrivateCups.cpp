#include "tests/support/PrivateCups.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace velkor::test {
namespace {

namespace fs = std::filesystem;
constexpr const char* kCupsd = "/usr/sbin/cupsd";

int freeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
    port = ntohs(address.sin_port);
  }
  close(fd);
  return port;
}

bool answers(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

// Runs program with args, waits for it; its exit code, or -1 when it could not run.
// In a child about to run one of the CUPS programs: they are no part of the test, and run
// without the test's preloads (a sanitizer's runtime in them reports their leaks as failures,
// and hung cupsd's exit).
void leaveTheTestsPreloads() { unsetenv("LD_PRELOAD"); }

int runProgram(const std::string& program, const std::vector<std::string>& args) {
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    leaveTheTestsPreloads();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

std::unique_ptr<PrivateCups> PrivateCups::start(const std::string& folder,
                                                const std::string& backend, std::string* why) {
  if (access(kCupsd, X_OK) != 0) {
    *why = "cupsd is not installed (/usr/sbin/cupsd)";
    return nullptr;
  }
  if (runProgram("sh", {"-c", "command -v lpadmin cupsdisable >/dev/null"}) != 0) {
    *why = "the CUPS client tools (lpadmin, cupsdisable) are not installed";
    return nullptr;
  }
  std::unique_ptr<PrivateCups> cups(new PrivateCups());
  cups->folder_ = fs::absolute(folder).string();
  cups->port_ = freeLoopbackPort();
  cups->server_ = "127.0.0.1:" + std::to_string(cups->port_);
  if (!cups->writeConfiguration(backend)) {
    *why = "cannot write the scheduler's configuration under " + cups->folder_;
    return nullptr;
  }
  if (!cups->launch()) {
    *why = "the private cupsd does not answer (see " + cups->folder_ + "/log/error_log)";
    return nullptr;
  }
  setenv("CUPS_SERVER", cups->server_.c_str(), 1);
  return cups;
}

PrivateCups::~PrivateCups() {
  stopWatching_ = true;
  if (watcher_.joinable()) watcher_.join();
  stopScheduler();
}

bool PrivateCups::writeConfiguration(const std::string& backend) {
  std::error_code error;
  fs::remove_all(folder_, error);
  for (const char* sub :
       {"etc/ppd", "spool/tmp", "cache", "state/certs", "bin/backend", "log", "plotters"}) {
    fs::create_directories(fs::path(folder_) / sub, error);
    if (error) return false;
  }
  // Root runs a backend as lp unless only root may run it.
  const fs::path ours = fs::path(folder_) / "bin/backend/velkor-plotter";
  fs::copy_file(backend, ours, error);
  if (error || chmod(ours.c_str(), 0700) != 0) return false;
  // A queue on a USB printer (usb://Maker/Model?serial=S) prints to the plotter of that serial.
  const fs::path usb = fs::path(folder_) / "bin/backend/usb";
  writeFile(usb.string(), "#!/bin/sh\nserial=${DEVICE_URI##*serial=}\nserial=${serial%%&*}\n"
                          "DEVICE_URI=velkor-plotter:" + folder_ + "/plotters/usb-$serial exec " +
                          ours.string() + " \"$@\"\n");
  if (chmod(usb.c_str(), 0700) != 0) return false;
  for (const char* sub : {"daemon", "filter", "notifier", "cgi-bin", "monitor"}) {
    fs::create_directory_symlink(std::string("/usr/lib/cups/") + sub,
                                 fs::path(folder_) / "bin" / sub, error);
  }
  const std::string& f = folder_;
  writeFile(f + "/etc/cups-files.conf",
            "ServerRoot " + f + "/etc\nRequestRoot " + f + "/spool\nTempDir " + f +
                "/spool/tmp\nCacheDir " + f + "/cache\nStateDir " + f + "/state\nServerBin " + f +
                "/bin\nDataDir /usr/share/cups\nErrorLog " + f + "/log/error_log\nAccessLog " + f +
                "/log/access_log\nPageLog " + f + "/log/page_log\nFileDevice No\n");
  // No authentication anywhere: the scheduler is reached from this machine only.
  writeFile(f + "/etc/cupsd.conf",
            "Listen 127.0.0.1:" + std::to_string(port_) +
                "\nLogLevel info\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                "JobRetryInterval 1\n<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
  return true;
}

bool PrivateCups::launch() {
  const std::string files = folder_ + "/etc/cups-files.conf";
  const std::string conf = folder_ + "/etc/cupsd.conf";
  pid_ = fork();
  if (pid_ < 0) return false;
  if (pid_ == 0) {
    leaveTheTestsPreloads();
    execl(kCupsd, kCupsd, "-f", "-c", conf.c_str(), "-s", files.c_str(), nullptr);
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (std::chrono::steady_clock::now() < deadline) {
    if (answers(port_)) return true;
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) break;
    usleep(50 * 1000);
  }
  stopScheduler();
  return false;
}

// Asked to stop, the scheduler gets a few seconds to do so before it is killed.
bool PrivateCups::stopScheduler() {
  if (pid_ <= 0) return false;
  kill(pid_, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (waitpid(pid_, nullptr, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      break;
    }
    usleep(20 * 1000);
  }
  pid_ = -1;
  return true;
}

bool PrivateCups::startScheduler() { return pid_ <= 0 && launch(); }

bool PrivateCups::runTool(const std::string& tool, const std::vector<std::string>& args) {
  std::vector<std::string> all{"-h", server_};
  all.insert(all.end(), args.begin(), args.end());
  return runProgram(tool, all) == 0;
}

bool PrivateCups::addRawQueue(const std::string& name, bool present) {
  const fs::path plotter = fs::path(folder_) / "plotters" / name;
  if (present) fs::create_directories(plotter);
  return runTool("lpadmin", {"-p", name, "-v", "velkor-plotter:" + plotter.string(), "-m", "raw",
                             "-o", "printer-error-policy=stop-printer", "-E"});
}

bool PrivateCups::addUsbQueue(const std::string& name, const std::string& uri,
                              const std::string& serial) {
  fs::create_directories(fs::path(folder_) / "plotters" / ("usb-" + serial));
  return runTool("lpadmin", {"-p", name, "-v", uri, "-m", "raw", "-o",
                             "printer-error-policy=stop-printer", "-E"});
}

void PrivateCups::watchJobs(JobSink sink) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    sink_ = std::move(sink);
  }
  if (!watcher_.joinable()) watcher_ = std::thread([this] { watch(); });
}

void PrivateCups::watch() {
  while (!stopWatching_) {
    std::vector<std::pair<std::string, fs::path>> found;  // by job file name: CUPS's order
    std::error_code error;
    for (const auto& queue : fs::directory_iterator(fs::path(folder_) / "plotters", error)) {
      for (const auto& file : fs::directory_iterator(queue.path(), error)) {
        const std::string name = file.path().filename().string();
        if (name.rfind("job-", 0) == 0 && file.path().extension().empty()) {
          found.emplace_back(name, file.path());
        }
      }
    }
    std::sort(found.begin(), found.end());
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& [name, path] : found) {
      if (!handed_.insert(path.string()).second) continue;
      ReceivedJob job{path.parent_path().filename().string(), readFile(path.string() + ".title"),
                      readFile(path)};
      if (sink_) sink_(job);
      ++handedCount_;
    }
    usleep(20 * 1000);
  }
}

bool PrivateCups::waitForJobs(size_t count, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (handedCount_ >= count) return true;
    }
    usleep(20 * 1000);
  }
  return false;
}

}  // namespace velkor::test
