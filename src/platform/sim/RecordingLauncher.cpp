#include "platform/sim/RecordingLauncher.h"

namespace vp::platform::sim {

bool RecordingLauncher::StartProgram(std::string_view commandLine) {
  std::lock_guard lock(mutex_);
  requests_.push_back({"start", std::string(commandLine), {}});
  return result_;
}

bool RecordingLauncher::ShellOpen(std::string_view verb, std::string_view target,
                                  std::string_view parameters) {
  std::lock_guard lock(mutex_);
  requests_.push_back({std::string(verb), std::string(target), std::string(parameters)});
  return result_;
}

std::vector<RecordingLauncher::Request> RecordingLauncher::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void RecordingLauncher::Clear() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

void RecordingLauncher::SetResult(bool result) {
  std::lock_guard lock(mutex_);
  result_ = result;
}

}  // namespace vp::platform::sim

#ifndef _WIN32
namespace vp::platform {

Launcher& DefaultLauncher() {
  static sim::RecordingLauncher launcher;
  return launcher;
}

}  // namespace vp::platform
#endif
