// A dialog view for tests: keeps every control's text, the list box's lines and selection, and
// what the handlers asked of it; the file-open dialog answers from a script.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/DialogView.h"

namespace velkor::test {

class RecordingView : public app::DialogView {
 public:
  void setControlText(int controlId, std::string_view text) override {
    texts[controlId] = std::string(text);
  }
  std::string controlText(int controlId, std::size_t maxChars) override {
    return texts[controlId].substr(0, maxChars);
  }
  void setListLines(const std::vector<std::string>& shown) override {
    lines = shown;
    selection = -1;
    ++listFills;
  }
  void selectListLine(int index) override { selection = index; }
  int currentListLine() override { return selection; }
  void appendAboutItem(std::string_view text) override { aboutItem = std::string(text); }
  std::optional<std::string> chooseFile(std::span<const app::FileFilter> filters) override {
    offeredFilters.assign(filters.begin(), filters.end());
    std::optional<std::string> answer = chosenFiles.empty() ? std::nullopt : chosenFiles.front();
    if (!chosenFiles.empty()) chosenFiles.pop_front();
    return answer;
  }
  void showAbout() override { ++aboutShown; }

  std::string text(int controlId) const {
    auto found = texts.find(controlId);
    return found == texts.end() ? std::string() : found->second;
  }

  std::map<int, std::string> texts;
  std::vector<std::string> lines;
  int selection = -1;
  int listFills = 0;
  std::string aboutItem;
  int aboutShown = 0;
  // The file-open dialog's answers in turn; nothing (or none left): the user cancelled.
  std::deque<std::optional<std::string>> chosenFiles;
  std::vector<app::FileFilter> offeredFilters;
};

}  // namespace velkor::test
