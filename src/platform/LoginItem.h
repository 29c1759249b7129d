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
};
