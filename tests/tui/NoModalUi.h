// A dialog view's modal part for tests that only draw: nothing is ever chosen or shown.
#pragma once

#include "app/tui/ModalUi.h"

namespace velkor::test {

struct NoModalUi : app::tui::ModalUi {
  std::optional<std::string> chooseFile(std::span<const app::FileFilter>) override {
    return std::nullopt;
  }
  void showAbout() override {}
};

}  // namespace velkor::test
