#include "platform/fake/FakeProcesses.h"

namespace platform {

namespace {

class FakeChild : public ChildProcess {
 public:
  FakeChild(FakeProcesses::ChildScript script, std::shared_ptr<FakeProcesses::Child> record)
      : script_(std::move(script)), record_(std::move(record)) {}
  ~FakeChild() override { record_->freed = true; }

  bool Running(int& exitCode) override {
    ++record_->polls;
    if (script_.unreadable) {
      exitCode = -1;
      return false;
    }
    if (script_.runningPolls > 0) {
      --script_.runningPolls;
      return true;
    }
    exitCode = script_.exitCode;
    return false;
  }

 private:
  FakeProcesses::ChildScript script_;
  std::shared_ptr<FakeProcesses::Child> record_;
};

}  // namespace

std::unique_ptr<ChildProcess> FakeProcesses::Spawn(const SpawnRequest& request, std::string& error) {
  spawns.push_back(request);
  ChildScript script;
  if (!scripts_.empty()) {
    script = scripts_.front();
    scripts_.pop_front();
  }
  if (!script.spawnError.empty()) {
    error = script.spawnError;
    return nullptr;
  }
  auto record = std::make_shared<Child>();
  children.push_back(record);
  return std::make_unique<FakeChild>(script, record);
}

bool FakeProcesses::SetOwnPriority(ProcessPriority priority) {
  ownPriorities.push_back(priority);
  return setOwnPriorityResult;
}

bool FakeProcesses::ShellOpen(const std::string& file, const std::string& parameters, const std::string& directory,
                              ShowCommand show) {
  shellOpens.push_back({file, parameters, directory, show});
  return shellOpenResult;
}

}  // namespace platform
