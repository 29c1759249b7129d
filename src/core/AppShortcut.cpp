#include "core/AppShortcut.h"

#include "core/MacKeyCode.h"

namespace {

struct ShortcutRow {
    AppShortcut::Case shortcut;
    const char *name;
    quint32 keyCode;
    char key;
    quint64 flags;
    quint32 hotKeyMask;
};

using namespace MacEventFlag;

constexpr std::array kTable{
    ShortcutRow{AppShortcut::history, "history", MacKeyCode::V, 'V', Command | Shift, 768},
    ShortcutRow{AppShortcut::pasteAs, "pasteAs", MacKeyCode::V, 'V', Command | Option, 2304},
    ShortcutRow{AppShortcut::pasteStack, "pasteStack", MacKeyCode::C, 'C', Command | Option, 2304},
    ShortcutRow{AppShortcut::privateCopy, "privateCopy", MacKeyCode::C, 'C', Command | Option | Control, 6400},
    ShortcutRow{AppShortcut::pasteNextFromStack, "pasteNextFromStack", MacKeyCode::V, 'V',
                Command | Option | Shift, 2816},
};

const ShortcutRow &rowFor(AppShortcut::Case shortcut)
{
    for (const ShortcutRow &row : kTable) {
        if (row.shortcut == shortcut)
            return row;
    }
    return kTable.front(); // unreachable: every case has a row
}

} // namespace

std::optional<AppShortcut> AppShortcut::fromRawValue(quint32 rawValue)
{
    for (const ShortcutRow &row : kTable) {
        if (row.shortcut == rawValue)
            return AppShortcut(row.shortcut);
    }
    return std::nullopt;
}

const std::array<AppShortcut, 5> &AppShortcut::allCases()
{
    static const std::array<AppShortcut, 5> cases{history, pasteAs, pasteStack, privateCopy,
                                                  pasteNextFromStack};
    return cases;
}

std::optional<AppShortcut> AppShortcut::matching(quint32 keyCode, quint64 modifiers)
{
    const quint64 kept = modifiers & MacEventFlag::ModifierMask;
    for (const ShortcutRow &row : kTable) {
        if (row.keyCode == keyCode && row.flags == kept)
            return AppShortcut(row.shortcut);
    }
    return std::nullopt;
}

QStringList AppShortcut::labels(const QList<AppShortcut> &shortcuts)
{
    QStringList result;
    result.reserve(shortcuts.size());
    for (AppShortcut shortcut : shortcuts)
        result.append(shortcut.label());
    return result;
}

std::optional<AppShortcut> AppShortcut::matching(QKeyCombination pressed)
{
    const Qt::KeyboardModifiers kept = pressed.keyboardModifiers() & kComparedModifiers;
    for (AppShortcut shortcut : allCases()) {
        if (shortcut.keys() == QKeyCombination(kept, pressed.key()))
            return shortcut;
    }
    return std::nullopt;
}

quint32 AppShortcut::keyCode() const
{
    return rowFor(m_value).keyCode;
}

quint64 AppShortcut::modifiers() const
{
    return rowFor(m_value).flags;
}

quint32 AppShortcut::carbonModifiers() const
{
    return rowFor(m_value).hotKeyMask;
}

QKeyCombination AppShortcut::keys() const
{
    const ShortcutRow &row = rowFor(m_value);
    // Every key code of the table has a Qt key; the unknown key would match no press.
    return QKeyCombination(MacEventFlag::toQtModifiers(row.flags),
                           MacKeyCode::toQtKey(row.keyCode).value_or(Qt::Key_unknown));
}

QString AppShortcut::label() const
{
    // Desktop settings list modifiers as Ctrl, Shift, Alt, Super, then the key.
    const ShortcutRow &row = rowFor(m_value);
    QStringList parts;
    if (row.flags & Control)
        parts << QStringLiteral("Ctrl");
    if (row.flags & Shift)
        parts << QStringLiteral("Shift");
    if (row.flags & Option)
        parts << QStringLiteral("Alt");
    if (row.flags & Command)
        parts << QStringLiteral("Super");
    parts << QString(QChar::fromLatin1(row.key));
    return parts.join(QLatin1Char('+'));
}

QString AppShortcut::name() const
{
    return QString::fromLatin1(rowFor(m_value).name);
}
