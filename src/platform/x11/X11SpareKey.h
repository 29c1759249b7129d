#pragma once

#include <QTimer>
#include <QtGlobal>

#include <chrono>

struct _XDisplay;
using Display = _XDisplay;
class X11KeyLookup;

// A key that types nothing, bound for a moment to a letter that no group of the keyboard map
// has (Ctrl+V on a map of Russian alone), so that the program in front reads the chord as the
// letter's. Programs read Ctrl with the letter's US key there as Ctrl and a Cyrillic letter.
class X11SpareKey {
public:
    // How long the binding outlasts the last chord typed through it: a program fetches the new
    // map when it reads the change, which may be after the chord went out, and must still find
    // the letter there.
    static constexpr std::chrono::milliseconds kHold{1000};

    // The display must outlive the key.
    explicit X11SpareKey(Display *display);
    ~X11SpareKey();
    X11SpareKey(const X11SpareKey &) = delete;
    X11SpareKey &operator=(const X11SpareKey &) = delete;

    // The key now typing the keysym (and its capital at the second level); 0 when the keyboard
    // has no spare key.
    unsigned bind(quint32 keysym, const X11KeyLookup &lookup);
    // The key back to typing nothing.
    void release();
    unsigned keycode() const { return m_keycode; }

private:
    Display *m_display;
    unsigned m_keycode = 0;
    quint32 m_keysym = 0;
    QTimer m_release;
};
