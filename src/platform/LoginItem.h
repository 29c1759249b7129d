#pragma once

#include <QString>

#include <optional>

// Why a change of the login item failed, as Slovak base texts that the interface shows through
// L10n::text; the details (paths, the system's error) go to the log.
namespace LoginItemIssue {

inline QString folderNotMade()
{
    return QStringLiteral("Priečinok pre automatické spúšťanie sa nedá vytvoriť.");
}
inline QString notAFile()
{
    return QStringLiteral("Na mieste položky automatického spúšťania je niečo iné ako súbor.");
}
inline QString notWritten()
{
    return QStringLiteral("Položku automatického spúšťania sa nepodarilo zapísať.");
}
inline QString notRemoved()
{
    return QStringLiteral("Položku automatického spúšťania sa nepodarilo odstrániť.");
}

} // namespace LoginItemIssue

// Whether Tarnel starts when the user logs in.
class LoginItem
{
public:
    virtual ~LoginItem() = default;

    virtual bool isEnabled() const = 0;
    // Returns why the change failed (a base text for L10n::text, see LoginItemIssue), or
    // nothing when it succeeded.
    // Callers read isEnabled() afterwards for what the system now holds.
    virtual std::optional<QString> setEnabled(bool enabled) = 0;
    // An enabled entry whose program is gone would silently start nothing at the next login:
    // it is written again for the running program. True when it was rewritten; an item that
    // names no program has nothing to rewrite.
    virtual bool rewriteIfStale() { return false; }
};
