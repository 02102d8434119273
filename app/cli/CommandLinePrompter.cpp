#include "app/cli/CommandLinePrompter.h"

#include "app/cli/HostSystem.h"
#include "app/cli/Report.h"

namespace cli {

CommandLinePrompter::CommandLinePrompter(const Console& console, bool json, Answers answers)
    : console_(console), json_(json), answers_(answers) {}

// A message box as text: its kind in brackets, then its lines as they are.
void CommandLinePrompter::show(const char* kind, const std::string& text) const {
  if (json_) return;
  std::ostream& out = console_.out;
  out << "[" << kind << "]\n";
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    out << "  " << printable(std::string_view(text).substr(start, end - start)) << '\n';
    start = end + 1;
  }
  out.flush();
}

void CommandLinePrompter::showError(std::string_view text) {
  messages_.push_back({"error", utf8FromSystem(std::string(text))});
  show("error", messages_.back().text);
}

void CommandLinePrompter::showInformation(std::string_view text) {
  messages_.push_back({"information", utf8FromSystem(std::string(text))});
  show("information", messages_.back().text);
}

bool CommandLinePrompter::askYesNo(std::string_view text) {
  messages_.push_back({"question", utf8FromSystem(std::string(text))});
  show("question", messages_.back().text);
  const bool yes = answer();
  messages_.back().answer = yes ? "yes" : "no";
  return yes;
}

// --yes / --no answer at once; otherwise a terminal is asked, and with none the answer is No,
// which is the safe one for a firmware update.
bool CommandLinePrompter::answer() {
  std::ostream& prompt = json_ ? console_.err : console_.out;
  if (answers_ != Answers::Ask) {
    const bool yes = answers_ == Answers::Yes;
    prompt << "Continue? [y/N] " << (yes ? "y (--yes)" : "n (--no)") << '\n';
    return yes;
  }
  if (console_.answers == nullptr) {
    prompt << "Continue? [y/N] n (no terminal to answer on: --yes or --no answers for you)\n";
    return false;
  }
  prompt << "Continue? [y/N] " << std::flush;
  std::string line;
  if (!std::getline(*console_.answers, line)) return false;
  return line == "y" || line == "Y" || line == "yes" || line == "Yes" || line == "YES";
}

std::vector<JsonObject> CommandLinePrompter::messagesJson() const {
  std::vector<JsonObject> list;
  for (const ShownMessage& message : messages_) {
    JsonObject object;
    object.add("kind", message.kind).add("text", message.text);
    if (message.answer) object.add("answer", message.answer);
    list.push_back(object);
  }
  return list;
}

}  // namespace cli
