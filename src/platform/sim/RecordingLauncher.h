#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/Launcher.h"

namespace vp::platform::sim {

// A launcher that starts nothing: it records each request, so that a test can
// see what the program asked for, and answers with a result the test sets.
class RecordingLauncher : public Launcher {
 public:
  struct Request {
    std::string verb;  // "start" for StartProgram
    std::string target;
    std::string parameters;
    bool operator==(const Request&) const = default;
  };

  bool StartProgram(std::string_view commandLine) override;
  bool ShellOpen(std::string_view verb, std::string_view target, std::string_view parameters) override;

  std::vector<Request> Requests() const;
  void Clear();
  void SetResult(bool result);

 private:
  mutable std::mutex mutex_;
  std::vector<Request> requests_;
  bool result_ = true;
};

}  // namespace vp::platform::sim
