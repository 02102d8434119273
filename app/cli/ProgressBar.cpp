#include "app/cli/ProgressBar.h"

#include <cstdio>

namespace cli {
namespace {

constexpr int kBarWidth = 30;
constexpr double kMiB = 1048576.0;

}  // namespace

ProgressBar::ProgressBar(std::ostream& out, bool on) : out_(out), on_(on) {
  if (on_) previous_ = prompt::installProgress(this);
}

ProgressBar::~ProgressBar() {
  if (!on_) return;
  prompt::installProgress(previous_);
  if (drawn_) out_ << '\n' << std::flush;
}

void ProgressBar::advance(uint64_t sent, uint64_t total) {
  if (sent == 0 || !drawn_) start_ = std::chrono::steady_clock::now();
  const double share = total == 0 ? 1.0 : double(sent) / double(total);
  const int filled = int(share * kBarWidth + 0.5);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  const double rate = seconds > 0 ? double(sent) / kMiB / seconds : 0.0;
  char line[128];
  std::snprintf(line, sizeof line, "\r[%-*.*s] %7.1f of %.1f MiB  %7.1f MiB/s", kBarWidth, filled,
                "##############################", double(sent) / kMiB, double(total) / kMiB, rate);
  out_ << line << std::flush;
  drawn_ = true;
}

}  // namespace cli
