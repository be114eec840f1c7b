#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Component.h"

using namespace velmora;

namespace {

// A component with state of its own that a sibling reads when told of its
// removal: the state must still be there.
class TNamedPart : public TComponent {
 public:
  TNamedPart(TComponent* owner, std::string label) : TComponent(owner), label(std::move(label)) {}
  std::string label;
};

class TListener : public TComponent {
 public:
  TListener(TComponent* owner, std::vector<std::string>* out) : TComponent(owner), out(out) {}
  ~TListener() override { *out = heard; }
  void Notification(TComponent* component, TOperation operation) override {
    // Insertion is told from the base constructor, before the derived
    // parts exist, so only removals can be read whole.
    if (operation != TOperation::opRemove) return;
    auto* part = dynamic_cast<TNamedPart*>(component);
    heard.push_back(part ? part->label : "?");
  }
  std::vector<std::string> heard;
  std::vector<std::string>* out;
};

class TLoadedCounter : public TComponent {
 public:
  using TComponent::TComponent;
  void Loaded() override {
    wasLoading = Loading();
    TComponent::Loaded();
  }
  bool wasLoading = false;
};

}  // namespace

TEST(Component, SiblingsHearOfRemovalWhileTheComponentIsWhole) {
  std::vector<std::string> heard;
  {
    TComponent form(nullptr);
    new TListener(&form, &heard);  // made first, so freed last
    new TNamedPart(&form, "window");
    new TNamedPart(&form, "display");
  }
  // Freed the last made first, each seen as what it is.
  EXPECT_EQ(heard, (std::vector<std::string>{"display", "window"}));
}

TEST(Component, LoadingEndsWithLoadedInCreationOrder) {
  TComponent form(nullptr);
  auto* a = new TLoadedCounter(&form);
  auto* b = new TLoadedCounter(&form);
  TComponent::BeginLoadingAll(&form);
  EXPECT_TRUE(a->Loading());
  TComponent::EndLoadingAll(&form);
  EXPECT_TRUE(a->wasLoading);
  EXPECT_TRUE(b->wasLoading);
  EXPECT_FALSE(a->Loading());
  EXPECT_FALSE(form.Loading());
}
