#pragma once

#include <QKeyCombination>
#include <QList>
#include <QMetaType>
#include <QString>

#include <array>
#include <optional>

// The five global keyboard shortcuts. The table keeps the key codes and the two modifier
// encodings of the original keyboard (event flags and hot-key masks) as data, and converts them
// here, once, to the Qt keys and modifiers that everything else speaks (Command = Super, which
// Qt calls Meta; Option = Alt).
class AppShortcut {
public:
    // The raw value is also the shortcut's hot-key id.
    enum Case : quint32 {
        history = 1,
        pasteAs = 2,
        pasteStack = 3,
        privateCopy = 4,
        pasteNextFromStack = 5,
    };

    // Hot-key modifier bits of the classic form.
    static constexpr quint32 HotKeyCommand = 256;
    static constexpr quint32 HotKeyShift = 512;
    static constexpr quint32 HotKeyOption = 2048;
    static constexpr quint32 HotKeyControl = 4096;
    // The modifiers a press is compared on; Qt's keypad and group bits are ignored.
    static constexpr Qt::KeyboardModifiers kComparedModifiers =
        Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

    constexpr AppShortcut() = default; // history; needed by Qt containers and signals
    constexpr AppShortcut(Case value) : m_value(value) {}
    constexpr operator Case() const { return m_value; }

    static std::optional<AppShortcut> fromRawValue(quint32 rawValue);
    // The five shortcuts in table order.
    static const std::array<AppShortcut, 5> &allCases();
    // The shortcut whose key code and modifier keys equal the pressed ones exactly; bits other
    // than Shift, Control, Option and Command (Caps Lock, keypad, function) are ignored.
    static std::optional<AppShortcut> matching(quint32 keyCode, quint64 modifiers);
    // The same lookup for a press in Qt's terms, as the key tap and Tarnel's windows report it.
    static std::optional<AppShortcut> matching(QKeyCombination pressed);
    // Keycap labels of a list of shortcuts, in the list's order.
    static QStringList labels(const QList<AppShortcut> &shortcuts);

    constexpr quint32 rawValue() const { return m_value; }
    quint32 keyCode() const;
    // Event-flag mask (MacEventFlag bits).
    quint64 modifiers() const;
    // Hot-key modifier mask (HotKey* bits).
    quint32 carbonModifiers() const;
    // The key and modifiers in Qt's terms: what the hot-key grab registers and a press matches.
    QKeyCombination keys() const;
    // The keys as a Linux desktop shows them: "Shift+Super+V".
    QString label() const;
    // The case's name, for log lines.
    QString name() const;

private:
    Case m_value = history;
};

Q_DECLARE_METATYPE(AppShortcut)
