#include "app/ForwardedDialog.h"

namespace app {

void ForwardedView::setControlText(int controlId, std::string_view text) {
  runner_.call([&] { view_.setControlText(controlId, text); });
}

std::string ForwardedView::controlText(int controlId, std::size_t maxChars) {
  std::string text;
  runner_.call([&] { text = view_.controlText(controlId, maxChars); });
  return text;
}

void ForwardedView::setListLines(const std::vector<std::string>& lines) {
  runner_.call([&] { view_.setListLines(lines); });
}

void ForwardedView::selectListLine(int index) {
  runner_.call([&] { view_.selectListLine(index); });
}

int ForwardedView::currentListLine() {
  int line = -1;
  runner_.call([&] { line = view_.currentListLine(); });
  return line;
}

void ForwardedView::appendAboutItem(std::string_view text) {
  runner_.call([&] { view_.appendAboutItem(text); });
}

std::optional<std::string> ForwardedView::chooseFile(std::span<const FileFilter> filters) {
  std::optional<std::string> chosen;
  runner_.call([&] { chosen = view_.chooseFile(filters); });
  return chosen;
}

void ForwardedView::showAbout() {
  runner_.call([&] { view_.showAbout(); });
}

void ForwardedPrompter::showError(std::string_view text) {
  runner_.call([&] { prompter_.showError(text); });
}

bool ForwardedPrompter::askYesNo(std::string_view text) {
  bool yes = false;
  runner_.call([&] { yes = prompter_.askYesNo(text); });
  return yes;
}

void ForwardedPrompter::showInformation(std::string_view text) {
  runner_.call([&] { prompter_.showInformation(text); });
}

}  // namespace app
