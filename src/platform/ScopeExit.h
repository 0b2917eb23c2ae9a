#pragma once
// Runs a function when the scope is left, normally or by an error: what a command leaves behind
// (a flag, a counter) must follow what it did even when it stopped half-way.
#include <utility>

template <class F> class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit() { f_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F f_;
};
