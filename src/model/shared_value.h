#pragma once

#include <atomic>

namespace mapvale {

// A field that one thread writes while another reads it (a worker's progress, a file's status).
// It is an atomic that can still be copied with the record that holds it: copying takes a
// snapshot. Records are only copied while no worker runs on them.
template <typename T>
class SharedValue {
public:
    SharedValue() : value_(T{}) {}
    SharedValue(T value) : value_(value) {}  // NOLINT: implicit, so fields initialise naturally
    SharedValue(const SharedValue& other) : value_(other.load()) {}
    SharedValue& operator=(const SharedValue& other) {
        store(other.load());
        return *this;
    }
    SharedValue& operator=(T value) {
        store(value);
        return *this;
    }

    T load() const { return value_.load(std::memory_order_acquire); }
    void store(T value) { value_.store(value, std::memory_order_release); }
    operator T() const { return load(); }  // NOLINT: reads like the plain field it replaces

    T fetch_add(T delta) { return value_.fetch_add(delta, std::memory_order_acq_rel); }

private:
    std::atomic<T> value_;
};

}  // namespace mapvale
