#include "tests/world/AllocationCount.h"

#include <imgui.h>

#include <cstdlib>

#include "tests/support/AllocationHook.h"

namespace {

// Dear ImGui's blocks, counted with operator new's.
void* ImGuiAlloc(std::size_t size, void*) {
  testsupport::CountBlock();
  return std::malloc(size);
}

void ImGuiFree(void* p, void*) { std::free(p); }

}  // namespace

namespace worldtest {

AllocationCount::AllocationCount() {
  ImGuiMemAllocFunc alloc = nullptr;
  ImGuiMemFreeFunc release = nullptr;
  ImGui::GetAllocatorFunctions(&alloc, &release, &imguiUser_);
  imguiAlloc_ = reinterpret_cast<void*>(alloc);
  imguiFree_ = reinterpret_cast<void*>(release);
  ImGui::SetAllocatorFunctions(ImGuiAlloc, ImGuiFree, nullptr);
  testsupport::StartCountingBlocks();
}

AllocationCount::~AllocationCount() {
  testsupport::StopCountingBlocks();
  ImGui::SetAllocatorFunctions(reinterpret_cast<ImGuiMemAllocFunc>(imguiAlloc_),
                               reinterpret_cast<ImGuiMemFreeFunc>(imguiFree_), imguiUser_);
}

std::size_t AllocationCount::Blocks() const { return testsupport::CountedBlocks(); }

}  // namespace worldtest
