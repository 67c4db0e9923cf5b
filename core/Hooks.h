// Hooks with many listeners. A window subscribes and keeps the returned
// Subscription; destroying it unsubscribes, so a closed window stops listening.
// Listeners run in the order they subscribed; one may unsubscribe itself or
// another during a call (a listener removed before its turn is not called).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

// Unsubscribes on destruction; movable, not copyable.
class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, {})) {}
    Subscription& operator=(Subscription&& other) noexcept
    {
        if (this != &other) {
            Reset();
            cancel_ = std::exchange(other.cancel_, {});
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { Reset(); }

    void Reset()
    {
        if (auto cancel = std::exchange(cancel_, {})) cancel();
    }
    explicit operator bool() const { return static_cast<bool>(cancel_); }

private:
    std::function<void()> cancel_;
};

template <class... Args>
class HookList {
public:
    using Listener = std::function<void(Args...)>;

    HookList() = default;
    HookList(const HookList&) = delete;
    HookList& operator=(const HookList&) = delete;

    // The list must outlive the subscription only as long as the program
    // runs: hook lists are function-local statics, and a subscription that
    // outlives its list (static destruction order) finds it gone and does nothing.
    Subscription Subscribe(Listener listener)
    {
        auto entry = std::make_shared<Entry>(Entry{std::move(listener), true});
        entries_->push_back(entry);
        std::weak_ptr<std::vector<std::shared_ptr<Entry>>> list = entries_;
        std::weak_ptr<Entry> weak = entry;
        return Subscription([list, weak] {
            auto l = list.lock();
            auto e = weak.lock();
            if (!l || !e) return;
            e->live = false;
            std::erase(*l, e);
        });
    }

    // Calls every listener subscribed when the call began and still subscribed
    // at its turn.
    void Call(Args... args) const
    {
        const auto snapshot = *entries_;
        for (const auto& e : snapshot)
            if (e->live && e->listener) e->listener(args...);
    }

    std::size_t Size() const { return entries_->size(); }

private:
    struct Entry {
        Listener listener;
        bool live;
    };
    std::shared_ptr<std::vector<std::shared_ptr<Entry>>> entries_ =
        std::make_shared<std::vector<std::shared_ptr<Entry>>>();
};
