#include "platform/x11/X11KeySender.h"

#include "core/Logging.h"
#include "platform/x11/SyntheticKeyJournal.h"
#include "platform/x11/X11Session.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <array>

namespace {

using Clock = std::chrono::steady_clock;

// WM_CLASS classes of terminal emulators, compared without case.
constexpr std::array kTerminalClasses{
    "xterm",           "uxterm",         "gnome-terminal",  "gnome-terminal-server", "konsole",
    "kitty",           "alacritty",      "urxvt",           "rxvt",                  "xfce4-terminal",
    "terminator",      "tilix",          "lxterminal",      "mate-terminal",         "qterminal",
    "terminology",     "st",             "st-256color",     "wezterm",               "org.wezfurlong.wezterm",
    "foot",            "footclient",     "guake",           "tilda",                 "sakura",
    "yakuake",         "cool-retro-term", "deepin-terminal", "kgx",                  "org.gnome.console",
    "ptyxis",          "org.gnome.ptyxis", "blackbox",       "com.raggesilver.blackbox", "contour",
    "ghostty",         "com.mitchellh.ghostty", "rio",      "terminal",              "eterm",
};

const char *chordName(KeyChord chord)
{
    switch (chord) {
    case KeyChord::Paste:
        return "paste";
    case KeyChord::Copy:
        return "copy";
    case KeyChord::Delete:
        return "delete";
    }
    return "?";
}

} // namespace

X11KeySender::X11KeySender(Workspace *workspace, QObject *parent)
    : KeySender(parent)
    , m_workspace(workspace)
{
    if (m_connection.isOpen() && X11Session::isUsable()) {
        int eventBase = 0, errorBase = 0, major = 0, minor = 0;
        m_usable = XTestQueryExtension(m_connection.display(), &eventBase, &errorBase, &major, &minor);
    }
    if (!m_usable)
        qCWarning(lcPlatform) << "KeySender: no X display with XTest; synthetic keys are unavailable";
    m_timer.setInterval(kPollInterval);
    connect(&m_timer, &QTimer::timeout, this, &X11KeySender::step);
}

bool X11KeySender::isTerminalClass(const QString &windowClass)
{
    for (const char *name : kTerminalClasses) {
        if (windowClass.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool X11KeySender::post(const KeyPost &request)
{
    if (!m_usable)
        return false;
    Job job;
    job.request = request;
    m_queue.append(job);
    // The first step runs at once, so a chord that needs no waiting goes out before the caller's
    // next event-loop turn.
    step();
    return true;
}

void X11KeySender::step()
{
    // A slot of sent() may post the next chord; it joins the queue and this loop sends it.
    if (m_stepping)
        return;
    m_stepping = true;
    while (!m_queue.isEmpty()) {
        const Outcome outcome = advance(m_queue.first());
        if (outcome == Outcome::Waiting) {
            if (!m_timer.isActive())
                m_timer.start();
            m_stepping = false;
            return;
        }
        const KeyPost request = m_queue.takeFirst().request;
        if (outcome == Outcome::Sent)
            Q_EMIT sent(request.chord, request.token);
        else
            Q_EMIT dropped(request.chord, request.token);
    }
    m_timer.stop();
    m_stepping = false;
}

X11KeySender::Outcome X11KeySender::advance(Job &job)
{
    const auto now = Clock::now();
    m_connection.drainEvents();
    if (job.stage == Stage::Start) {
        if (job.request.targetPid) {
            const qint64 pid = *job.request.targetPid;
            // A window that is gone gives way to the process's topmost one.
            if (job.request.targetWindow != 0 && m_connection.windowExists(job.request.targetWindow))
                job.window = job.request.targetWindow;
            const auto front = m_workspace ? m_workspace->frontmostApplication() : std::nullopt;
            if (!isTargetInFront(job, front)) {
                const auto target = !m_workspace ? std::nullopt
                    : job.window != 0            ? std::optional<RunningApplication>(RunningApplication{job.window, pid, {}})
                                                 : m_workspace->applicationWithPid(pid);
                if (!target || !m_workspace->activate(*target)) {
                    qCInfo(lcPlatform) << "KeySender: target process has no window;" << chordName(job.request.chord)
                                       << "not sent";
                    return Outcome::Dropped;
                }
                job.stage = Stage::Activating;
                job.deadline = now + kActivationTimeout;
                return Outcome::Waiting;
            }
        }
        job.stage = Stage::WaitingForKeys;
        job.deadline = now + kHeldKeysTimeout;
    }
    if (job.stage == Stage::Activating) {
        if (!isTargetInFront(job, m_workspace ? m_workspace->frontmostApplication() : std::nullopt)) {
            if (now < job.deadline)
                return Outcome::Waiting;
            // Typing into whichever window is in front instead would paste into the wrong place.
            qCInfo(lcPlatform) << "KeySender: target window did not become active;" << chordName(job.request.chord)
                               << "not sent";
            return Outcome::Dropped;
        }
        job.stage = Stage::Settling;
        job.deadline = now + kActivationSettle;
        return Outcome::Waiting;
    }
    if (job.stage == Stage::Settling) {
        if (now < job.deadline)
            return Outcome::Waiting;
        job.stage = Stage::WaitingForKeys;
        job.deadline = now + kHeldKeysTimeout;
    }
    // A key still held would mix into the chord (Super+Shift+Ctrl+V is no paste), and while the
    // shortcut's own key is down, its hot-key grab still holds the keyboard.
    QList<unsigned> held = heldKeycodes(job.request.wait);
    // Keys the user kept holding through an earlier wait are not waited for again, so a long
    // press does not delay every chord of a burst (the deletes and paste of one snippet).
    m_outlastedKeycodes.removeIf([&held](unsigned keycode) { return !held.contains(keycode); });
    held.removeIf([this](unsigned keycode) { return m_outlastedKeycodes.contains(keycode); });
    if (!held.isEmpty()) {
        if (now < job.deadline)
            return Outcome::Waiting;
        releaseHeldModifiers();
        m_outlastedKeycodes = heldKeycodes();
    }
    return sendChord(job.request.chord) ? Outcome::Sent : Outcome::Dropped;
}

bool X11KeySender::isTargetInFront(const Job &job, const std::optional<RunningApplication> &front)
{
    // Another window of the same process is not where the user was typing.
    return front && front->pid == *job.request.targetPid && (job.window == 0 || front->window == job.window);
}

QList<unsigned> X11KeySender::heldKeycodes() const
{
    QList<unsigned> held;
    char keys[32] = {};
    XQueryKeymap(m_connection.display(), keys);
    for (unsigned keycode = 8; keycode < 256; ++keycode) {
        if (keys[keycode / 8] & (1 << (keycode % 8)))
            held.append(keycode);
    }
    return held;
}

QList<unsigned> X11KeySender::heldKeycodes(HeldKeys which) const
{
    QList<unsigned> held = heldKeycodes();
    if (which == HeldKeys::Modifiers) {
        const QList<unsigned> modifiers = modifierKeycodes();
        held.removeIf([&modifiers](unsigned keycode) { return !modifiers.contains(keycode); });
    }
    return held;
}

QList<unsigned> X11KeySender::modifierKeycodes() const
{
    QList<unsigned> result;
    XModifierKeymap *map = XGetModifierMapping(m_connection.display());
    if (!map)
        return result;
    for (int modifier = 0; modifier < 8; ++modifier) {
        if (modifier == LockMapIndex)
            continue; // Caps Lock is a toggled state, not a held key
        for (int i = 0; i < map->max_keypermod; ++i) {
            const unsigned keycode = map->modifiermap[modifier * map->max_keypermod + i];
            if (keycode != 0 && !result.contains(keycode))
                result.append(keycode);
        }
    }
    XFreeModifiermap(map);
    return result;
}

void X11KeySender::releaseHeldModifiers()
{
    const QList<unsigned> modifiers = modifierKeycodes();
    const QList<unsigned> held = heldKeycodes();
    const unsigned numLock = XKeysymToKeycode(m_connection.display(), XK_Num_Lock);
    for (unsigned keycode : held) {
        if (modifiers.contains(keycode) && keycode != numLock)
            fakeKey(keycode, false);
    }
}

void X11KeySender::fakeKey(unsigned keycode, bool press)
{
    SyntheticKeyJournal::shared().record(keycode, press);
    XTestFakeKeyEvent(m_connection.display(), keycode, press ? True : False, CurrentTime);
}

bool X11KeySender::sendChord(KeyChord chord)
{
    Display *display = m_connection.display();
    // A keyboard map change the server announced before now must be known before keys are
    // looked up: the sync brings its notice in, the drain applies it.
    XSync(display, False);
    m_connection.drainEvents();
    bool terminal = false;
    if (chord != KeyChord::Delete) {
        if (const auto window = m_connection.activeWindow())
            terminal = isTerminalClass(m_connection.windowClass(*window).value_or(QString()));
    }
    QList<unsigned> modifiers;
    KeySym key = XK_BackSpace;
    if (chord != KeyChord::Delete) {
        modifiers.append(XKeysymToKeycode(display, XK_Control_L));
        if (terminal)
            modifiers.append(XKeysymToKeycode(display, XK_Shift_L));
        key = chord == KeyChord::Paste ? XK_v : XK_c;
    }
    const unsigned keycode = XKeysymToKeycode(display, key);
    if (keycode == 0 || modifiers.contains(0u)) {
        qCWarning(lcPlatform) << "KeySender: the keyboard map has no key for the" << chordName(chord) << "chord";
        return false;
    }
    for (unsigned modifier : modifiers)
        fakeKey(modifier, true);
    fakeKey(keycode, true);
    fakeKey(keycode, false);
    for (auto it = modifiers.crbegin(); it != modifiers.crend(); ++it)
        fakeKey(*it, false);
    XSync(display, False);
    return true;
}
