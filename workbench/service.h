// One replaceable call between Halvorine's layers, without Qt: the window layer wires it once at
// start (WireServices), a test replaces it. A service that nobody wired is a program fault:
// calling it stops the program with the service's name instead of silently doing nothing.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

namespace halvorine {

[[noreturn]] void ServiceNotWired(const char* name);

template <typename Signature>
class Service;

template <typename R, typename... Args>
class Service<R(Args...)> {
public:
    explicit Service(const char* name) : name_(name) {}
    Service(const Service&) = default;
    Service& operator=(const Service& other) {
        fn_ = other.fn_;
        return *this;
    }
    template <typename F>
    requires(!std::is_same_v<std::decay_t<F>, Service>) Service& operator=(F&& fn) {
        fn_ = std::forward<F>(fn);
        return *this;
    }

    R operator()(Args... args) const {
        if (!fn_) ServiceNotWired(name_);
        return fn_(std::forward<Args>(args)...);
    }
    bool Wired() const { return static_cast<bool>(fn_); }

private:
    const char* name_;
    std::function<R(Args...)> fn_;
};

// The engine's run as the run dialog's check (RunCheck) and the robustness runs call it; the
// window layer wires it to RunCalculation, a test puts a scripted run in its place.
Service<void(int& code)>& RunCalculationService();

}  // namespace halvorine
