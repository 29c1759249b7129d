#include "platform/x11/X11KeySender.h"

#include "core/AppShortcut.h"
#include "core/Logging.h"
#include "core/ShellQuoting.h"
#include "platform/linux/PseudoTerminalHolder.h"
#include "platform/x11/ProgramRoads.h"
#include "platform/x11/SyntheticKeyJournal.h"
#include "platform/x11/X11KeyLookup.h"
#include "platform/x11/X11Keysyms.h"
#include "platform/x11/X11Session.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <array>

namespace {

using Clock = std::chrono::steady_clock;

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

X11KeySender::X11KeySender(Workspace *workspace, Pasteboard *pasteboard, QObject *parent)
    : KeySender(parent)
    , m_workspace(workspace)
    , m_pasteboard(pasteboard)
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

X11KeySender::Route X11KeySender::namedRoute(unsigned long window) const
{
    const Route byClass = ProgramRoads::named(m_connection.windowClass(window).value_or(QString()));
    if (byClass != Route::Ordinary)
        return byClass;
    // xterm -class Foo keeps the instance "xterm": what tells the terminal where its window
    // carries no process id to look into.
    return ProgramRoads::named(m_connection.windowInstance(window).value_or(QString()));
}

X11KeySender::Route X11KeySender::routeOf(unsigned long window) const
{
    const Route named = namedRoute(window);
    if (named != Route::Ordinary)
        return named;
    // Pasting from the primary selection on Shift+Insert is what terminals share; a chord
    // guessed for an unknown one could be read as an interrupt.
    const std::optional<qint64> pid = m_connection.windowPid(window);
    return pid && PseudoTerminalHolder::holdsMaster(*pid) ? Route::PrimarySelection : Route::Ordinary;
}

bool X11KeySender::post(const KeyPost &request)
{
    if (!m_usable)
        return false;
    // The key of the shortcut that asked for this chord went to its grab, not to the window in
    // front, and ended nothing selected there.
    if (request.chord != KeyChord::Delete)
        m_selectionTakes.forgetShortcutPress(shortcutKeycodes());
    Job job;
    job.request = request;
    job.posted = Clock::now();
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
        const Job job = m_queue.takeFirst();
        const KeyPost &request = job.request;
        // Given to the window past a pointer on Tarnel's panel, the keyboard would stay there
        // wherever the user moves the pointer next; the keys already typed went there.
        if (job.tookKeyboardFromPointer) {
            m_connection.letKeyboardFollowPointer();
            XFlush(m_connection.display());
        }
        // A later chord is a new wait: keys outlasted in this burst count again.
        if (m_queue.isEmpty())
            m_outlastedKeycodes.clear();
        if (outcome == Outcome::Sent) {
            qCDebug(lcPlatform) << "KeySender:" << chordName(request.chord) << "sent";
            Q_EMIT sent(request.chord, request.token);
        } else
            Q_EMIT dropped(request.chord, request.token, job.dropReason);
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
            // A window that said nothing of its process is known by itself alone: gone, it has
            // no other window to give way to, and the window in front is another program's.
            if (job.request.targetWindow != 0 && job.window == 0 && pid <= 0) {
                qCInfo(lcPlatform) << "KeySender: target window is gone;" << chordName(job.request.chord) << "not sent";
                return Outcome::Dropped;
            }
            const auto front = m_workspace ? m_workspace->frontmostApplication() : std::nullopt;
            if (!isTargetInFront(job, front)) {
                const auto target = !m_workspace ? std::nullopt
                    : job.window != 0            ? std::optional<RunningApplication>(RunningApplication{job.window, pid, {}})
                                                 : m_workspace->applicationWithPid(pid);
                if (target)
                    job.target = *target;
                job.tookKeyboardFromPointer = job.tookKeyboardFromPointer
                    || (target && m_connection.keyboardFollowsPointer() && m_workspace->keyboardFollowedPointerInto(target->window));
                if (!target || !m_workspace->activate(*target)) {
                    qCInfo(lcPlatform) << "KeySender: target process has no window;" << chordName(job.request.chord)
                                       << "not sent";
                    return Outcome::Dropped;
                }
                job.stage = Stage::Activating;
                job.deadline = now + kActivationTimeout;
                job.nextActivation = now + kActivationRetryInterval;
                return Outcome::Waiting;
            }
        }
        startWaitingForKeys(job, now);
    }
    if (job.stage == Stage::ReadingSelection)
        return finishSelectionCopy(job);
    if (job.stage == Stage::SavingSelection)
        return pasteThroughPrimarySelection(job);
    if (job.stage == Stage::Activating) {
        if (!isTargetInFront(job, m_workspace ? m_workspace->frontmostApplication() : std::nullopt)) {
            if (now < job.deadline) {
                // Asked again: a click in Tarnel's panel may have taken the keyboard back after
                // the window manager handed it over.
                if (now >= job.nextActivation && m_workspace && job.target) {
                    job.nextActivation = now + kActivationRetryInterval;
                    m_workspace->activate(*job.target);
                }
                return Outcome::Waiting;
            }
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
        startWaitingForKeys(job, now);
    }
    // A key still held would mix into the chord (Super+Shift+Ctrl+V is no paste), and while the
    // shortcut's own key is down, its hot-key grab still holds the keyboard.
    QList<unsigned> held = heldKeycodes(job.request.wait);
    if (job.request.wait == HeldKeys::All) {
        // However long the shortcut is held: keys typed now would go to its grab and be lost.
        const QList<unsigned> shortcutKeys = shortcutKeycodes();
        const bool grabbed =
            std::any_of(held.cbegin(), held.cend(), [&](unsigned keycode) { return shortcutKeys.contains(keycode); });
        if (grabbed) {
            if (now < job.shortcutKeyDeadline)
                return Outcome::Waiting;
            qCInfo(lcPlatform) << "KeySender: the shortcut's key was never released;" << chordName(job.request.chord)
                               << "not sent";
            job.dropReason = KeyDropReason::KeysHeld;
            return Outcome::Dropped;
        }
    }
    // Keys the user kept holding through an earlier wait of this burst are not waited for
    // again, so a long press does not delay every chord of it (the deletes and paste of one
    // snippet).
    m_outlastedKeycodes.removeIf([&held](unsigned keycode) { return !held.contains(keycode); });
    held.removeIf([this](unsigned keycode) { return m_outlastedKeycodes.contains(keycode); });
    if (!held.isEmpty()) {
        if (now < job.deadline)
            return Outcome::Waiting;
        releaseHeldModifiers();
        const QList<unsigned> shortcutKeys = shortcutKeycodes();
        m_outlastedKeycodes = heldKeycodes();
        m_outlastedKeycodes.removeIf([&](unsigned keycode) { return shortcutKeys.contains(keycode); });
    }
    if (job.request.targetPid && job.reactivations < kMaxReactivations
        && !isTargetInFront(job, m_workspace ? m_workspace->frontmostApplication() : std::nullopt)) {
        // The keyboard went elsewhere while the chord waited (the second click of a double
        // click in the panel): the window is asked for again instead of typing into the wrong one.
        ++job.reactivations;
        job.stage = Stage::Start;
        return Outcome::Waiting;
    }
    return deliver(job);
}

void X11KeySender::startWaitingForKeys(Job &job, std::chrono::steady_clock::time_point now)
{
    job.stage = Stage::WaitingForKeys;
    job.deadline = now + kHeldKeysTimeout;
    job.shortcutKeyDeadline = now + kShortcutKeyTimeout;
}

X11KeySender::Outcome X11KeySender::deliver(Job &job)
{
    const KeyChord chord = job.request.chord;
    // Paced on the timer's steps, so the main thread never waits for it.
    if (m_lastDeleteSent && Clock::now() < *m_lastDeleteSent + kDeletePace)
        return Outcome::Waiting;
    Route route = Route::Ordinary;
    const std::optional<unsigned long> window = m_connection.activeWindow();
    if (chord != KeyChord::Delete && window)
        route = routeOf(*window);
    if (chord == KeyChord::Copy && ProgramRoads::copiesItsSelection(route)) {
        // The program put what the user selected in the primary selection already; its copy
        // chord would interrupt the program running in a terminal where nothing is selected, or
        // begin a command in an editor. Which of its connections owns the selection tells
        // nothing, nor that it still owns one it selected before: the user's presses there do.
        if (!m_pasteboard || !m_selectionTakes.selectedIn(*window)) {
            qCInfo(lcPlatform) << "KeySender: the program in front holds no selection; copy not sent";
            job.dropReason = KeyDropReason::NothingToType;
            return Outcome::Dropped;
        }
        job.selection = m_pasteboard->primarySelectionText();
        job.stage = Stage::ReadingSelection;
        job.deadline = Clock::now() + kSelectionReadTimeout;
        return Outcome::Waiting;
    }
    const bool terminalRoute = route == Route::ShiftedChords || route == Route::PrimarySelection;
    if (terminalRoute && chord == KeyChord::Paste) {
        const PasteboardContent content = m_pasteboard ? m_pasteboard->content() : PasteboardContent();
        // Copied files go into a terminal as their paths, as a dropped file does; its own paste
        // chord would bring their URLs, or nothing.
        const bool files = !content.text && !content.filePaths.isEmpty();
        if (!content.text && !files && namedRoute(*window) == Route::Ordinary) {
            // An image: only text takes the terminal's road. A window the table does not name
            // may hold a pseudo-terminal without being a terminal (an editor with one inside),
            // and its toolkit pastes images on Ctrl+V.
            route = Route::Ordinary;
        } else if (route == Route::PrimarySelection || files) {
            if (!m_pasteboard || !(content.text || files)) {
                qCInfo(lcPlatform) << "KeySender: no text to offer the terminal; paste not sent";
                job.dropReason = KeyDropReason::NothingToType;
                return Outcome::Dropped;
            }
            job.lentText = content.text ? *content.text : ShellQuoting::quotedPaths(content.filePaths);
            // What the user selected is read first, to be given back once the terminal has read
            // the paste.
            job.selection = m_pasteboard->primarySelectionText();
            job.stage = Stage::SavingSelection;
            job.deadline = Clock::now() + kSelectionReadTimeout;
            return pasteThroughPrimarySelection(job);
        }
    }
    // The clipboard changed owner just before this chord. A program that asks the new owner
    // what it offers, and takes its paste chord only once answered (gnome-terminal), ignores
    // the chord until Tarnel has answered it; Tarnel answers on this thread, between steps.
    if (chord == KeyChord::Paste && window && m_pasteboard && !m_pasteboard->answeredSinceWrite(*window)
        && Clock::now() < job.posted + kClipboardAnswerWait)
        return Outcome::Waiting;
    return sendChord(chord, route) ? Outcome::Sent : Outcome::Dropped;
}

X11KeySender::Outcome X11KeySender::pasteThroughPrimarySelection(Job &job)
{
    if (!job.selection.isFinished() && Clock::now() < job.deadline)
        return Outcome::Waiting;
    // A selection whose owner does not answer is not waited for: the paste goes on, and the
    // primary selection is left empty after it.
    const std::optional<QString> own = job.selection.isFinished() ? job.selection.result() : std::nullopt;
    if (!m_pasteboard || !m_pasteboard->lendPrimarySelection(job.lentText, own)) {
        qCInfo(lcPlatform) << "KeySender: the primary selection could not be lent to the terminal; paste not sent";
        return Outcome::Dropped;
    }
    return sendChord(KeyChord::Paste, Route::PrimarySelection) ? Outcome::Sent : Outcome::Dropped;
}

X11KeySender::Outcome X11KeySender::finishSelectionCopy(Job &job)
{
    if (!job.selection.isFinished()) {
        if (Clock::now() < job.deadline)
            return Outcome::Waiting;
        qCInfo(lcPlatform) << "KeySender: the terminal did not hand over its selection; copy not sent";
        return Outcome::Dropped;
    }
    const std::optional<QString> text = job.selection.result();
    if (!text || text->isEmpty() || !m_pasteboard) {
        qCInfo(lcPlatform) << "KeySender: the terminal's selection holds no text; copy not sent";
        job.dropReason = KeyDropReason::NothingToType;
        return Outcome::Dropped;
    }
    // Copied as the terminal's own copy chord would have: the clipboard announces it like any
    // other program's copy.
    m_pasteboard->writeText(*text);
    return Outcome::Sent;
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

QList<unsigned> X11KeySender::shortcutKeycodes() const
{
    QList<unsigned> result;
    const X11KeyLookup lookup(m_connection.display());
    for (AppShortcut shortcut : AppShortcut::allCases()) {
        const std::optional<quint32> keysym = X11Keysyms::keysymFor(shortcut.keys().key());
        const unsigned keycode = keysym ? lookup.keycode(*keysym) : 0;
        if (keycode != 0 && !result.contains(keycode))
            result.append(keycode);
    }
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

bool X11KeySender::sendChord(KeyChord chord, Route route)
{
    Display *display = m_connection.display();
    // A keyboard map change the server announced before now must be known before keys are
    // looked up: the sync brings its notice in, the drain applies it.
    XSync(display, False);
    m_connection.drainEvents();
    if (chord == KeyChord::Paste && route == Route::ClipboardRegister)
        return typeRegisterPut();
    // Keys as the program in front reads them: V is the key that types it in the active group,
    // else in another group; a map without it at all gets it on a spare key for a moment.
    const X11KeyLookup lookup(display);
    QList<unsigned> modifiers;
    KeySym key = XK_BackSpace;
    if (chord != KeyChord::Delete && (route == Route::PrimarySelection || route == Route::ClipboardOnShiftInsert)) {
        modifiers.append(lookup.typingKeycode(XK_Shift_L));
        key = XK_Insert;
    } else if (chord != KeyChord::Delete) {
        modifiers.append(lookup.typingKeycode(XK_Control_L));
        if (route == Route::ShiftedChords)
            modifiers.append(lookup.typingKeycode(XK_Shift_L));
        key = chord == KeyChord::Paste ? XK_v : XK_c;
    }
    unsigned keycode = lookup.typingKeycode(key);
    if (keycode == 0 && chord != KeyChord::Delete)
        keycode = m_spareKey.bind(key, lookup);
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
    if (chord == KeyChord::Delete)
        m_lastDeleteSent = Clock::now();
    else
        m_lastDeleteSent.reset();
    return true;
}

bool X11KeySender::typeRegisterPut()
{
    Display *display = m_connection.display();
    const X11KeyLookup lookup(display);
    // Ctrl with the key the active group types the character on, as the user would press it.
    constexpr std::array<std::pair<KeySym, bool>, 6> kKeys{{{XK_backslash, true},
                                                            {XK_o, true},
                                                            {XK_quotedbl, false},
                                                            {XK_plus, false},
                                                            {XK_g, false},
                                                            {XK_P, false}}};
    const unsigned control = lookup.typingKeycode(XK_Control_L);
    const unsigned shift = lookup.typingKeycode(XK_Shift_L);
    const unsigned thirdLevel = lookup.typingKeycode(XK_ISO_Level3_Shift);
    std::array<X11KeyLookup::Typing, kKeys.size()> typing{};
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        const std::optional<X11KeyLookup::Typing> found = lookup.typingInActiveGroup(kKeys.at(i).first);
        // A Cyrillic group types Cyrillic letters on the Latin ones' keys: typed there, the
        // command would be another one, so nothing is typed.
        if (!found || control == 0 || (found->shifted && shift == 0) || (found->thirdLevel && thirdLevel == 0)) {
            qCInfo(lcPlatform) << "KeySender: the active keyboard group cannot type the editor's paste; paste not sent";
            return false;
        }
        typing.at(i) = *found;
    }
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        const bool withControl = kKeys.at(i).second;
        if (withControl)
            fakeKey(control, true);
        if (typing.at(i).thirdLevel)
            fakeKey(thirdLevel, true);
        if (typing.at(i).shifted)
            fakeKey(shift, true);
        fakeKey(typing.at(i).keycode, true);
        fakeKey(typing.at(i).keycode, false);
        if (typing.at(i).shifted)
            fakeKey(shift, false);
        if (typing.at(i).thirdLevel)
            fakeKey(thirdLevel, false);
        if (withControl)
            fakeKey(control, false);
    }
    XSync(display, False);
    m_lastDeleteSent.reset();
    return true;
}
