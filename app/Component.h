// The component model that the application shell is built from.
//
// A component is owned by another component (normally the main form) and is
// freed with it. While its owner reads its description a component is
// "loading": properties are only stored, and nothing acts on them until
// Loaded() runs after all of them are set. Components of the same owner hear
// of each other's insertion and removal through Notification(). An owner
// frees its components by taking each out of its list first, so a listener
// may still use the component it is told of.
#pragma once

#include <string>
#include <vector>

namespace velmora {

enum class TOperation { opInsert, opRemove };

class TComponent {
 public:
  explicit TComponent(TComponent* owner);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  const std::vector<TComponent*>& Components() const { return components_; }

  std::string Name;

  // csDesigning: a component inside a form designer. This program never sets
  // it outside tests, but the rules "outside design mode" are kept.
  bool Designing() const { return designing_; }
  void SetDesigning(bool value) { designing_ = value; }

  // csLoading: set by BeginLoading, cleared by Loaded.
  bool Loading() const { return loading_; }
  void BeginLoading() { loading_ = true; }

  // Runs after all properties are read; derived classes call the inherited
  // step first.
  virtual void Loaded();

  // Another component of the same owner was inserted or is being removed.
  virtual void Notification(TComponent* component, TOperation operation);

  // The reading of a form: every owned component is put into the loading
  // state, the caller sets their properties, then EndLoading runs Loaded on
  // each in creation order.
  static void BeginLoadingAll(TComponent* root);
  static void EndLoadingAll(TComponent* root);

 private:
  void Insert(TComponent* child);
  void Remove(TComponent* child);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  bool designing_ = false;
  bool loading_ = false;
  bool destroying_ = false;
};

}  // namespace velmora
