// Sets an environment variable for its lifetime (removes it, for null) and puts back what was
// there before.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace velkor::test {

class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    set(value);
  }
  ~ScopedVariable() { set(previous_ ? previous_->c_str() : nullptr); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  void set(const char* value) {
#if defined(_WIN32)
    _putenv_s(name_, value ? value : "");
#else
    if (value) {
      setenv(name_, value, 1);
    } else {
      unsetenv(name_);
    }
#endif
  }

  const char* name_;
  std::optional<std::string> previous_;
};

}  // namespace velkor::test
