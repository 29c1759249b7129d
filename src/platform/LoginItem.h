#pragma once

#include <QString>

#include <optional>

// Whether Tarnel starts when the user logs in.
class LoginItem
{
public:
    virtual ~LoginItem() = default;

    virtual bool isEnabled() const = 0;
    // Returns the system's description of the failure, or nothing when the change succeeded.
    // Callers read isEnabled() afterwards for what the system now holds.
    virtual std::optional<QString> setEnabled(bool enabled) = 0;
    // An enabled entry whose program is gone would silently start nothing at the next login:
    // it is written again for the running program. True when it was rewritten; an item that
    // names no program has nothing to rewrite.
    virtual bool rewriteIfStale() { return false; }
};
