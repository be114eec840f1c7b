#include "platform/fake/FakeSystem.h"

namespace platform {

namespace {

class FakeLock : public InstanceLock {
 public:
  FakeLock(std::shared_ptr<std::multiset<std::string>> held, std::string name)
      : held_(std::move(held)), name_(std::move(name)) {
    held_->insert(name_);
  }
  ~FakeLock() override { held_->erase(held_->find(name_)); }

 private:
  std::shared_ptr<std::multiset<std::string>> held_;
  std::string name_;
};

}  // namespace

FakeSystem::FakeSystem() : held_(std::make_shared<std::multiset<std::string>>()) {}

void FakeSystem::SetExecutionState(bool display, bool system) { executionStates.push_back({display, system}); }

std::unique_ptr<InstanceLock> FakeSystem::CreateInstanceLock(const std::string& name, bool& alreadyRunning) {
  lockRequests.push_back(name);
  alreadyRunning = otherInstances.count(name) != 0 || held_->count(name) != 0;
  if (alreadyRunning) return nullptr;
  return std::make_unique<FakeLock>(held_, name);
}

std::string FakeSystem::LongPath(const std::string& path) {
  auto it = longPaths.find(path);
  return it == longPaths.end() ? path : it->second;
}

std::string FakeSystem::Environment(const std::string& name) {
  auto it = environment.find(name);
  return it == environment.end() ? std::string() : it->second;
}

bool FakeSystem::LockHeld(const std::string& name) const { return held_->count(name) != 0; }

}  // namespace platform
