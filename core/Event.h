// Events are optional callbacks: an unset event is skipped.
//
//   TEvent<float> OnUpdate;          // set by whoever listens
//   Fire(OnUpdate, deltaTime);       // does nothing when unset
#pragma once

#include <functional>
#include <utility>

namespace velmora {

template <class... Args>
using TEvent = std::function<void(Args...)>;

// A plain notification with the sender.
using TNotifyEvent = std::function<void(void* sender)>;

template <class F, class... Args>
inline void Fire(const F& event, Args&&... args) {
  if (event) event(std::forward<Args>(args)...);
}

}  // namespace velmora
