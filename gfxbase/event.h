// TEvent: an event member that is a std::function (the handler the application assigns)
// and also forwards every raise to a second receiver, which controls bind to their Qt
// signal. Raising calls the handler first, then the signal, so a handler that edits a var
// parameter is seen by the signal's receivers too. The event tests true while a handler is
// assigned or the signal has receivers, so "if (OnX) OnX(...)" raises both and skips the
// work when nobody listens. Qt-free.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

namespace dendrokit {

template <typename Handler> class TEvent;

template <typename... Args>
class TEvent<std::function<void(Args...)>> : public std::function<void(Args...)> {
 public:
  using Handler = std::function<void(Args...)>;

  TEvent() = default;
  // Copies carry the handler only: the signal stays bound to its own control.
  TEvent(const TEvent& other) : Handler(other.AsHandler()) {}
  TEvent& operator=(const TEvent& other) {
    Handler::operator=(other.AsHandler());
    return *this;
  }
  template <typename F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, TEvent>)
  TEvent& operator=(F&& handler) {
    Handler::operator=(std::forward<F>(handler));
    return *this;
  }

  // signal is raised after the handler; listened tells whether it has receivers.
  void BindSignal(Handler signal, std::function<bool()> listened) {
    signal_ = std::move(signal);
    listened_ = std::move(listened);
  }

  const Handler& AsHandler() const { return *this; }
  explicit operator bool() const {
    return static_cast<bool>(AsHandler()) || (listened_ && listened_());
  }

  void operator()(Args... args) const {
    if (AsHandler()) AsHandler()(args...);
    if (signal_ && listened_ && listened_()) signal_(args...);
  }

 private:
  Handler signal_;
  std::function<bool()> listened_;
};

}  // namespace dendrokit
