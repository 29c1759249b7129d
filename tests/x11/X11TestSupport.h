#pragma once

// What the X11 tests need to act and look from outside: tools run to their end, the fixture
// window, the clipboard taken by xclip, windows as the server sees them, Tarnel started as a
// program. Include last: Xlib's macros (None, Bool, KeyPress) break gtest's and Qt's headers.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <QProcess>
#include <QRect>
#include <QSaveFile>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace x11test {

using namespace std::chrono_literals;

inline Display *display()
{
    static Display *connection = [] {
        // Windows come and go while the tree is walked; a vanished one is simply skipped.
        XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
        return XOpenDisplay(nullptr);
    }();
    return connection;
}

// Runs a tool to its end while the event loop turns (this process may own the clipboard the
// tool reads); its exit code, -1 when it did not run or end.
inline int run(const QString &program, const QStringList &arguments, QByteArray *output = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(5000) || !QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (output)
        *output = process.readAllStandardOutput();
    XSync(display(), False);
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

inline int xdotool(const QStringList &arguments) { return run(QStringLiteral("xdotool"), arguments); }
inline void movePointer(QPoint p) { xdotool({"mousemove", QString::number(p.x()), QString::number(p.y())}); }
// Moves the pointer as a hand on a mouse does, through the input devices in a few steps: a warp
// (xdotool's mousemove) moves it without any device's motion, as no user can.
inline void moveByHand(QPoint to)
{
    Window root = 0, child = 0;
    int x = 0, y = 0, local = 0;
    unsigned int buttons = 0;
    XQueryPointer(display(), DefaultRootWindow(display()), &root, &child, &x, &y, &local, &local, &buttons);
    constexpr int kSteps = 8;
    for (int step = 1; step <= kSteps; ++step)
        XTestFakeMotionEvent(display(), -1, x + (to.x() - x) * step / kSteps, y + (to.y() - y) * step / kSteps, CurrentTime);
    XSync(display(), False);
}
inline void clickAt(QPoint p, int button = 1)
{
    xdotool({"mousemove", QString::number(p.x()), QString::number(p.y()), "click", QString::number(button)});
}

// What a selection ("clipboard" or "primary") holds as text, as xclip reads it.
inline QString readSelection(const char *selection)
{
    QByteArray output;
    return run(QStringLiteral("xclip"), {"-selection", selection, "-o"}, &output) == 0 ? QString::fromUtf8(output)
                                                                                       : QString();
}

inline QString readClipboard()
{
    return readSelection("clipboard");
}

// A property of 32-bit items (Xlib hands them out as longs), or of bytes.
inline std::vector<unsigned long> longProperty(Window window, const char *name)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(display(), window, XInternAtom(display(), name, False), 0, 64, False, AnyPropertyType,
                           &type, &format, &count, &after, &data)
            == Success
        && data) {
        if (format == 32)
            values.assign(reinterpret_cast<const unsigned long *>(data), reinterpret_cast<const unsigned long *>(data) + count);
        XFree(data);
    }
    return values;
}

inline QByteArray textProperty(Window window, const char *name)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    QByteArray result;
    if (XGetWindowProperty(display(), window, XInternAtom(display(), name, False), 0, 1024, False, AnyPropertyType,
                           &type, &format, &count, &after, &data)
            == Success
        && data) {
        result = QByteArray(reinterpret_cast<const char *>(data), int(count * unsigned(format / 8)));
        XFree(data);
    }
    return result;
}

inline bool hasAtom(Window window, const char *property, const char *atom)
{
    const std::vector<unsigned long> atoms = longProperty(window, property);
    return std::find(atoms.begin(), atoms.end(), XInternAtom(display(), atom, False)) != atoms.end();
}

// Whether the window or any window inside it carries WM_STATE: a window the manager manages, or
// the manager's frame around one.
inline bool holdsManagedClient(Window window)
{
    if (!longProperty(window, "WM_STATE").empty())
        return true;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    bool holds = false;
    if (XQueryTree(display(), window, &root, &parent, &children, &count) && children) {
        for (unsigned int i = 0; i < count && !holds; ++i)
            holds = holdsManagedClient(children[i]);
        XFree(children);
    }
    return holds;
}

// Whether the window bypasses the window manager (override-redirect, and no managed window
// inside: fluxbox, icewm and i3 set the flag on their frames too): no frame, no taskbar entry.
inline bool bypassesWindowManager(Window window)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display(), window, &attributes) && attributes.override_redirect
        && !holdsManagedClient(window);
}

// The top-level window that holds the keyboard past the window manager: one that bypasses
// the manager and took the input focus itself; 0 otherwise.
inline Window unmanagedFocusWindow()
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display(), &focus, &revert);
    const Window root = DefaultRootWindow(display());
    for (Window window = focus; window != 0 && window != PointerRoot && window != root;) {
        Window rootOut = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display(), window, &rootOut, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        if (parent == root)
            return bypassesWindowManager(window) ? window : 0;
        window = parent;
    }
    return 0;
}

// The window keys go to as the user sees it: the active window as the window manager
// announces it, unless a window beside the manager took the keyboard.
inline Window activeWindow()
{
    if (const Window unmanaged = unmanagedFocusWindow())
        return unmanaged;
    const std::vector<unsigned long> active = longProperty(DefaultRootWindow(display()), "_NET_ACTIVE_WINDOW");
    if (!active.empty())
        return Window(active.front());
    // A manager without EWMH (twm) names none: the managed window that holds the input focus.
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display(), &focus, &revert);
    const Window root = DefaultRootWindow(display());
    for (Window window = focus; window != 0 && window != PointerRoot && window != root;) {
        if (!longProperty(window, "WM_STATE").empty())
            return window;
        Window rootOut = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display(), window, &rootOut, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        window = parent;
    }
    return 0;
}

// The process that owns the active window.
inline qint64 activePid()
{
    const Window active = activeWindow();
    if (active == 0)
        return 0;
    const std::vector<unsigned long> pid = longProperty(active, "_NET_WM_PID");
    return pid.empty() ? 0 : qint64(pid.front());
}
inline bool waitForActive(qint64 pid, int ms = 8000)
{
    return QTest::qWaitFor([pid] { return activePid() == pid; }, ms);
}

// Every window (at any depth) below the root that the test accepts.
inline std::vector<Window> windowsWhere(const std::function<bool(Window)> &accepts)
{
    std::vector<Window> found;
    std::function<void(Window)> visit = [&](Window window) {
        if (accepts(window))
            found.push_back(window);
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display(), window, &root, &parent, &children, &count)) {
            for (unsigned int i = 0; i < count; ++i)
                visit(children[i]);
            if (children)
                XFree(children);
        }
    };
    visit(DefaultRootWindow(display()));
    return found;
}

inline bool isViewable(Window window)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display(), window, &attributes) && attributes.map_state == IsViewable;
}

// The viewable windows whose WM_WINDOW_ROLE starts with the role, or whose WM_CLASS class is it.
inline std::vector<Window> shownWithRole(const QByteArray &role)
{
    return windowsWhere([&](Window w) { return isViewable(w) && textProperty(w, "WM_WINDOW_ROLE").startsWith(role); });
}
inline std::vector<Window> shownWithClass(const QByteArray &className)
{
    return windowsWhere([&](Window w) {
        const QList<QByteArray> parts = textProperty(w, "WM_CLASS").split('\0');
        return isViewable(w) && parts.size() >= 2 && parts.at(1) == className;
    });
}

// The window's rectangle in root coordinates.
inline QRect geometry(Window window)
{
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display(), window, &attributes))
        return {};
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display(), window, DefaultRootWindow(display()), 0, 0, &x, &y, &child);
    return QRect(x, y, attributes.width, attributes.height);
}

// The root's children, the lowest first: the order in which the screen shows them.
inline std::vector<Window> stackingOrder()
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    std::vector<Window> order;
    if (XQueryTree(display(), DefaultRootWindow(display()), &root, &parent, &children, &count) && children) {
        order.assign(children, children + count);
        XFree(children);
    }
    return order;
}

// The child of the root that holds the window: its frame, or the window itself when it has none.
inline Window stackedWindowOf(Window window)
{
    const Window root = DefaultRootWindow(display());
    while (window != 0 && window != root) {
        Window rootOut = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display(), window, &rootOut, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        if (parent == root)
            return window;
        window = parent;
    }
    return 0;
}

// Whether the one window stands above the other on the screen, as the server stacks them.
inline bool standsAbove(Window upper, Window lower)
{
    const std::vector<Window> order = stackingOrder();
    const auto top = std::find(order.begin(), order.end(), stackedWindowOf(upper));
    const auto bottom = std::find(order.begin(), order.end(), stackedWindowOf(lower));
    return top != order.end() && bottom != order.end() && top > bottom;
}

// A window of one colour that bypasses the window manager, mapped by this process (another
// client than the program under test): over the whole screen what a screen locker or saver
// shows, over a part another program's menu.
class CoveringWindow {
public:
    static constexpr QRgb kColour = qRgb(20, 90, 40);

    explicit CoveringWindow(QRect area = {})
    {
        Display *d = display();
        const int screen = DefaultScreen(d);
        if (area.isEmpty())
            area = QRect(0, 0, DisplayWidth(d, screen), DisplayHeight(d, screen));
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = kColour & 0xffffffu;
        m_window = XCreateWindow(d, DefaultRootWindow(d), area.x(), area.y(), unsigned(area.width()),
                                 unsigned(area.height()), 0, CopyFromParent, InputOutput, CopyFromParent,
                                 CWOverrideRedirect | CWBackPixel, &attributes);
        XMapRaised(d, m_window);
        XSync(d, False);
    }
    ~CoveringWindow()
    {
        XDestroyWindow(display(), m_window);
        XSync(display(), False);
    }
    CoveringWindow(const CoveringWindow &) = delete;
    CoveringWindow &operator=(const CoveringWindow &) = delete;
    Window window() const { return m_window; }

private:
    Window m_window = 0;
};

// Whether the window is the other one or lies inside it.
inline bool isWithin(Window inner, Window outer)
{
    for (Window window = inner; window != 0;) {
        if (window == outer)
            return true;
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display(), window, &root, &parent, &children, &count))
            return false;
        if (children)
            XFree(children);
        if (window == root)
            return false;
        window = parent;
    }
    return false;
}

// The window that a pointer event at this point of the screen goes to, as the server picks it:
// the deepest mapped window there whose input shape holds the point.
inline Window windowAt(QPoint p)
{
    const Window root = DefaultRootWindow(display());
    Window at = root;
    for (;;) {
        int x = 0, y = 0;
        Window child = 0;
        if (!XTranslateCoordinates(display(), root, at, p.x(), p.y(), &x, &y, &child) || child == 0)
            return at;
        at = child;
    }
}

// Whether the keyboard follows the pointer: the server's input focus is PointerRoot (twm with
// NoTitleFocus, a session without a manager), and keys go to the window under the pointer.
inline bool keyboardFollowsPointer()
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display(), &focus, &revert);
    return focus == PointerRoot;
}

// Where the pointer is on the screen.
inline QPoint pointerPosition()
{
    Window root = 0, child = 0;
    int x = 0, y = 0, local = 0;
    unsigned int buttons = 0;
    XQueryPointer(display(), DefaultRootWindow(display()), &root, &child, &x, &y, &local, &local, &buttons);
    return {x, y};
}

// Whether keys typed now go to the window: the server's input focus is in it, or the focus
// follows the pointer and the pointer is over the window.
inline bool hasKeyboard(Window window)
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display(), &focus, &revert);
    if (focus == PointerRoot)
        return isWithin(windowAt(pointerPosition()), window);
    return focus != 0 && isWithin(focus, window);
}

// Waits until the window is on the screen as the user sees it: mapped and viewable, at the place
// the X server reports on two looks in a row, and as `ready` wants it; its frame in root
// coordinates then, nothing when it never got there. Everything a test does to a window goes
// through this: a program calls its window shown from its own request on, before the window
// manager has mapped and placed it, and a click or key sent meanwhile goes to whatever is there.
inline std::optional<QRect> waitOnScreen(Window window, const std::function<bool(QRect)> &ready = {}, int ms = 8000)
{
    std::optional<QRect> previous;
    std::optional<QRect> settled;
    (void)QTest::qWaitFor([&] {
        const std::optional<QRect> now = isViewable(window) ? std::optional<QRect>(geometry(window)) : std::nullopt;
        if (now && now == previous && (!ready || ready(*now)))
            settled = now;
        previous = now;
        return settled.has_value();
    },
                          ms);
    return settled;
}

// The X window of a widget's window of this process.
inline Window windowOf(const QWidget *widget) { return Window(widget->window()->winId()); }

// A window of this process on the screen, and where Qt places it as well: Qt holds a stale
// position while the window manager reparents and places the window, and any point Qt maps
// meanwhile lies beside the widget.
inline std::optional<QRect> waitOnScreen(const QWidget *widget, const std::function<bool(QRect)> &ready = {}, int ms = 8000)
{
    if (!widget)
        return std::nullopt;
    const QWidget *top = widget->window();
    return waitOnScreen(
        windowOf(widget), [&](QRect frame) {
            return widget->isVisible() && frame == top->geometry() && (!ready || ready(frame));
        },
        ms);
}

// Clicks at a point of the window (from its top left) once the window is on the screen and a
// click there reaches it; false when it never did.
inline bool clickIn(Window window, QPoint offset, int button = 1, int ms = 8000)
{
    const std::optional<QRect> frame = waitOnScreen(
        window, [&](QRect at) {
            return isWithin(windowAt(at.topLeft() + offset), window);
        },
        ms);
    if (frame)
        clickAt(frame->topLeft() + offset, button);
    return frame.has_value();
}

// Clicks a widget of this process (at its centre, or at a point of its own) where the X server
// shows it, once its window is on the screen where Qt placed it and a click there reaches it.
inline bool clickOn(const QWidget *widget, std::optional<QPoint> local = std::nullopt, int button = 1, int ms = 8000)
{
    if (!widget)
        return false;
    const auto offset = [&] { return widget->mapTo(widget->window(), local.value_or(widget->rect().center())); };
    const std::optional<QRect> frame = waitOnScreen(
        widget, [&](QRect at) {
            return isWithin(windowAt(at.topLeft() + offset()), windowOf(widget));
        },
        ms);
    if (frame)
        clickAt(frame->topLeft() + offset(), button);
    return frame.has_value();
}

// Waits until the window is on the screen and holds the keyboard: keys typed then reach it.
inline bool waitForKeyboard(Window window, int ms = 8000)
{
    return waitOnScreen(
               window, [window](QRect) { return hasKeyboard(window); }, ms)
        .has_value();
}
inline bool waitForKeyboard(const QWidget *widget, int ms = 8000)
{
    return waitOnScreen(
               widget, [widget](QRect) { return widget->isActiveWindow() && hasKeyboard(windowOf(widget)); }, ms)
        .has_value();
}

// The one window with the role, once it is on the screen (see waitOnScreen).
inline std::optional<Window> waitForRole(const QByteArray &role, int ms = 8000)
{
    QElapsedTimer clock;
    clock.start();
    std::optional<Window> found;
    const bool one = QTest::qWaitFor([&] {
        const std::vector<Window> shown = shownWithRole(role);
        found = shown.size() == 1 ? std::optional<Window>(shown.front()) : std::nullopt;
        return found.has_value();
    },
                                     ms);
    if (!one || !waitOnScreen(*found, {}, std::max(0, ms - int(clock.elapsed()))))
        return std::nullopt;
    return found;
}

// The extents of the window's drawn (bounding) shape, relative to the window.
inline QRect drawnExtents(Window window)
{
    Bool bounding = False, clip = False;
    int xb = 0, yb = 0, xc = 0, yc = 0;
    unsigned int wb = 0, hb = 0, wc = 0, hc = 0;
    if (!XShapeQueryExtents(display(), window, &bounding, &xb, &yb, &wb, &hb, &clip, &xc, &yc, &wc, &hc))
        return {};
    return QRect(xb, yb, int(wb), int(hb));
}

// Moves a keysym from its key to a key without a symbol, as a layout switch would; the new key
// code, 0 when there is no free key.
inline unsigned moveKeysymToSpareKey(unsigned long keysym)
{
    int first = 0, last = 0;
    XDisplayKeycodes(display(), &first, &last);
    const KeyCode old = XKeysymToKeycode(display(), keysym);
    for (int keycode = last; keycode >= first && old != 0; --keycode) {
        if (XkbKeycodeToKeysym(display(), KeyCode(keycode), 0, 0) != NoSymbol)
            continue;
        KeySym symbols[2] = {keysym, keysym};
        XChangeKeyboardMapping(display(), keycode, 2, symbols, 1);
        KeySym none[2] = {NoSymbol, NoSymbol};
        XChangeKeyboardMapping(display(), old, 2, none, 1);
        XSync(display(), False);
        return unsigned(keycode);
    }
    return 0;
}

// A started program, ended when the test is done with it. Its error output goes to a file of
// its own folder, readable at any time; an argument "@name" names another file there.
class Program {
public:
    // Started in the test's own environment unless another one is given.
    explicit Program(const QString &path, QStringList arguments = {},
                     const std::optional<QProcessEnvironment> &environment = std::nullopt)
    {
        for (QString &argument : arguments)
            if (argument.startsWith(QLatin1Char('@')))
                argument = m_dir.filePath(argument.mid(1));
        m_process.setStandardErrorFile(m_dir.filePath(QStringLiteral("stderr")));
        m_process.setStandardOutputFile(QProcess::nullDevice());
        if (environment)
            m_process.setProcessEnvironment(*environment);
        m_process.start(path, arguments);
        m_process.waitForStarted(5000);
    }
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(2000)) {
                m_process.kill();
                m_process.waitForFinished(2000);
            }
        }
    }
    void close()
    {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
    QProcess &process() { return m_process; }
    qint64 pid() const { return m_process.processId(); }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    QByteArray errorOutput() const { return file(QStringLiteral("stderr")); }
    QByteArray file(const QString &name) const
    {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

protected:
    QTemporaryDir m_dir;
    QProcess m_process;
};

// The fixture window: another application with a text field (its text in the file "out") that
// logs every mouse press it gets (in the file "clicks").
class Fixture : public Program {
public:
    explicit Fixture(const QString &title, const QString &initialText = {}, const QString &geometry = {},
                     const QStringList &more = {})
        : Program(qEnvironmentVariable("TARNEL_FIXTURE"), arguments(title, initialText, geometry) + more)
    {
    }
    QString text() const { return QString::fromUtf8(file(QStringLiteral("out"))); }
    // Its window while it is mapped.
    std::optional<Window> shownWindow() const
    {
        const std::vector<Window> shown = windowsWhere([this](Window window) {
            return isViewable(window) && longProperty(window, "_NET_WM_PID") == std::vector<unsigned long>{ulong(pid())};
        });
        return shown.size() == 1 ? std::optional<Window>(shown.front()) : std::nullopt;
    }
    // Active and on the screen, with its text field holding the keyboard: typed keys reach it.
    bool waitForKeyboard() const
    {
        std::optional<Window> window;
        return waitForActive(pid()) && QTest::qWaitFor([&] {
                   window = shownWindow();
                   return window && QFile::exists(m_dir.filePath(QStringLiteral("focus")));
               })
            && x11test::waitForKeyboard(*window);
    }
    QByteArray clicks() const { return file(QStringLiteral("clicks")); }

private:
    static QStringList arguments(const QString &title, const QString &initialText, const QString &geometry)
    {
        QStringList list{"--title", title, "--out", "@out", "--clicks", "@clicks", "--focus", "@focus"};
        if (!initialText.isNull())
            list << "--text" << initialText;
        if (!geometry.isEmpty())
            list << "-geometry" << geometry;
        return list;
    }
};

// Owns a selection (the CLIPBOARD unless named) with a text while it lives, as another program
// would (xclip kept in the foreground, ours to stop).
class SelectionOwner {
public:
    explicit SelectionOwner(const QString &text, const char *selection = "clipboard")
    {
        m_process.start(QStringLiteral("xclip"), {"-selection", selection, "-quiet", "-i"});
        m_process.waitForStarted();
        m_process.write(text.toUtf8());
        m_process.closeWriteChannel();
        m_ready = QTest::qWaitFor([&] { return readSelection(selection) == text; });
    }
    ~SelectionOwner()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    bool isReady() const { return m_ready; }

private:
    QProcess m_process;
    bool m_ready = false;
};
using ClipboardOwner = SelectionOwner;

// Writes Tarnel's settings file before it starts.
// Settings that hold a history under the old key start the program with that history alone, as
// the first start after an older build: the database and its kept copies from an earlier program
// of the same test go, or the history would replace their rows, keep a copy and say so.
inline void writeSettings(const QByteArray &json)
{
    if (json.contains("\"tarnel.history\"")) {
        QDir data(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Tarnel"));
        const QStringList leftovers = data.entryList({QStringLiteral("history.sqlite3*")}, QDir::Files | QDir::Hidden);
        for (const QString &name : leftovers)
            data.remove(name);
    }
    const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Tarnel");
    QDir().mkpath(folder);
    QSaveFile file(folder + QStringLiteral("/defaults.json"));
    file.open(QIODevice::WriteOnly);
    file.write(json);
    file.commit();
}

// A private copy of the program for this test binary: Tarnel ends every other process of the
// user that runs its own executable file, so tests side by side would end each other's.
inline QString tarnelBinary()
{
    static QTemporaryDir folder;
    static const QString copy = [] {
        const QString path = folder.filePath(QStringLiteral("tarnel"));
        QFile::copy(qEnvironmentVariable("TARNEL_BINARY"), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }();
    return copy;
}

inline std::optional<Window> waitForPanel() { return waitForRole("tarnel-panel"); }

// Tarnel's viewable top-level windows other than the panel: an entry's actions menu while it is open.
inline std::vector<Window> menusOf(qint64 pid, Window panel)
{
    return windowsWhere([&](Window window) {
        return window != panel && isViewable(window)
            && longProperty(window, "_NET_WM_PID") == std::vector<unsigned long>{ulong(pid)}
        && textProperty(window, "WM_WINDOW_ROLE").isEmpty() && geometry(window).width() > 100;
    });
}

// Tarnel's icon in a tray host: its small window embedded there.
inline std::optional<Window> waitForTrayIcon()
{
    std::optional<Window> icon;
    (void)QTest::qWaitFor([&] {
        for (Window w : shownWithClass("Tarnel")) {
            const QRect g = geometry(w);
            if (g.width() <= 64 && g.height() <= 64 && g.width() > 1)
                icon = w;
        }
        return icon.has_value();
    });
    return icon;
}

// A window of this process at a known place: black text on white, or with no text red on its
// left half and blue on its right half.
class PatternWindow : public QWidget {
public:
    static constexpr QRgb kLeft = qRgb(220, 30, 30);
    static constexpr QRgb kRight = qRgb(30, 30, 220);

    explicit PatternWindow(QRect geometry, QString text = QString())
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint)
        , m_text(std::move(text))
    {
        setGeometry(geometry);
    }
    // Shown, and drawn on the screen, so that a grab of the screen sees it.
    bool showOnScreen()
    {
        show();
        return QTest::qWaitFor([this] {
            const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0, x(), y(), 2, 2).toImage();
            return !shot.isNull() && shot.pixel(0, 0) == (m_text.isEmpty() ? kLeft : qRgb(255, 255, 255));
        });
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        if (m_text.isEmpty()) {
            painter.fillRect(0, 0, width() / 2, height(), QColor(kLeft));
            painter.fillRect(width() / 2, 0, width() - width() / 2, height(), QColor(kRight));
            return;
        }
        painter.fillRect(rect(), Qt::white);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(40);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(rect(), Qt::AlignCenter, m_text);
    }

private:
    QString m_text;
};

// The region overlay, once it is up and has the keyboard and pointer.
inline QWidget *readyOverlay()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("TarnelRegionOverlay") && widget->isVisible() && widget->windowHandle()
            && widget->windowHandle()->isExposed() && widget->isActiveWindow())
            return widget;
    return nullptr;
}
// Waits until the region overlay is up, has the keyboard and pointer, and is on the screen
// where a drag over it reaches it.
inline bool waitForOverlay(int ms = 8000)
{
    QWidget *overlay = nullptr;
    if (!QTest::qWaitFor([&] { return (overlay = readyOverlay()) != nullptr; }, ms))
        return false;
    return waitOnScreen(
               overlay, [overlay](QRect frame) { return isWithin(windowAt(frame.center()), windowOf(overlay)); }, ms)
        .has_value();
}
inline bool overlayGone()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("TarnelRegionOverlay") && widget->isVisible())
            return false;
    return true;
}

// A drag with the left button, as a person makes it.
inline int drag(QPoint from, QPoint to)
{
    auto xy = [](QPoint p) { return QStringList{QString::number(p.x()), QString::number(p.y())}; };
    const QPoint middle = (from + to) / 2;
    return xdotool(QStringList{"mousemove"} + xy(from) + QStringList{"sleep", "0.1", "mousedown", "1", "sleep", "0.1", "mousemove"}
                   + xy(middle) + QStringList{"sleep", "0.1", "mousemove"} + xy(to)
                   + QStringList{"sleep", "0.1", "mouseup", "1"});
}

} // namespace x11test
