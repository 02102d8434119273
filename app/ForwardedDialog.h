// The dialog's view and prompter as an operation on the worker thread uses them: every call is
// carried out by the front end's thread (OperationRunner::call), which owns the windows, the
// terminal and the message boxes, while the worker waits for its answer.
#pragma once

#include "app/DialogView.h"
#include "app/OperationRunner.h"
#include "prompt/Prompter.h"

namespace app {

class ForwardedView : public DialogView {
 public:
  ForwardedView(OperationRunner& runner, DialogView& view) : runner_(runner), view_(view) {}

  void setControlText(int controlId, std::string_view text) override;
  std::string controlText(int controlId, std::size_t maxChars) override;
  void setListLines(const std::vector<std::string>& lines) override;
  void selectListLine(int index) override;
  int currentListLine() override;
  void appendAboutItem(std::string_view text) override;
  std::optional<std::string> chooseFile(std::span<const FileFilter> filters) override;
  void showAbout() override;

 private:
  OperationRunner& runner_;
  DialogView& view_;
};

class ForwardedPrompter : public prompt::Prompter {
 public:
  ForwardedPrompter(OperationRunner& runner, prompt::Prompter& prompter)
      : runner_(runner), prompter_(prompter) {}

  void showError(std::string_view text) override;
  bool askYesNo(std::string_view text) override;
  void showInformation(std::string_view text) override;

 private:
  OperationRunner& runner_;
  prompt::Prompter& prompter_;
};

}  // namespace app
