#pragma once

// What the end-to-end tests need to watch Tarnel from outside: its windows as the X server
// sees them, the pointer moved and clicked by xdotool, and its processes started and ended.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QSaveFile>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace X11Probe {

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

inline bool waitUntil(const std::function<bool()> &condition, std::chrono::milliseconds timeout = 5000ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeout.count()) {
        if (condition())
            return true;
        QThread::msleep(10);
    }
    return condition();
}

inline QByteArray textProperty(Window window, const char *name)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    const Atom atom = XInternAtom(display(), name, False);
    QByteArray result;
    if (XGetWindowProperty(display(), window, atom, 0, 1024, False, AnyPropertyType, &type, &format, &count, &after,
                           &data) == Success && data) {
        result = QByteArray(reinterpret_cast<const char *>(data), static_cast<int>(count * (format / 8)));
        XFree(data);
    }
    return result;
}

// A property of 32-bit items, which Xlib hands out as longs.
inline std::vector<unsigned long> longProperty(Window window, const char *name)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(display(), window, XInternAtom(display(), name, False), 0, 64, False, AnyPropertyType,
                           &type, &format, &count, &after, &data) == Success && data) {
        if (format == 32) {
            const auto *items = reinterpret_cast<const unsigned long *>(data);
            values.assign(items, items + count);
        }
        XFree(data);
    }
    return values;
}

inline std::vector<Atom> atomProperty(Window window, const char *name)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    std::vector<Atom> atoms;
    if (XGetWindowProperty(display(), window, XInternAtom(display(), name, False), 0, 64, False, XA_ATOM, &type,
                           &format, &count, &after, &data) == Success && data) {
        const auto *values = reinterpret_cast<const unsigned long *>(data);
        atoms.assign(values, values + count);
        XFree(data);
    }
    return atoms;
}

inline bool hasAtom(Window window, const char *property, const char *atom)
{
    const Atom wanted = XInternAtom(display(), atom, False);
    for (Atom a : atomProperty(window, property))
        if (a == wanted)
            return true;
    return false;
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

// Every client window (at any depth) whose WM_WINDOW_ROLE is the given role.
inline std::vector<Window> windowsWithRole(const QByteArray &role)
{
    return windowsWhere([&](Window window) { return textProperty(window, "WM_WINDOW_ROLE").startsWith(role); });
}

// Every window (at any depth) whose WM_CLASS class is the given one.
inline std::vector<Window> windowsWithClass(const QByteArray &className)
{
    return windowsWhere([&](Window window) {
        const QList<QByteArray> parts = textProperty(window, "WM_CLASS").split('\0');
        return parts.size() >= 2 && parts.at(1) == className;
    });
}

inline bool isViewable(Window window)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display(), window, &attributes) && attributes.map_state == IsViewable;
}

inline std::vector<Window> viewable(const std::vector<Window> &windows)
{
    std::vector<Window> shown;
    for (Window w : windows)
        if (isViewable(w))
            shown.push_back(w);
    return shown;
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

// The extents of the window's drawn (bounding) shape, relative to the window.
inline QRect drawnExtents(Window window)
{
    Bool boundingShaped = False, clipShaped = False;
    int xb = 0, yb = 0, xc = 0, yc = 0;
    unsigned int wb = 0, hb = 0, wc = 0, hc = 0;
    if (!XShapeQueryExtents(display(), window, &boundingShaped, &xb, &yb, &wb, &hb, &clipShaped, &xc, &yc, &wc, &hc))
        return {};
    return QRect(xb, yb, static_cast<int>(wb), static_cast<int>(hb));
}

inline void xdotool(const QStringList &arguments)
{
    QProcess::execute(QStringLiteral("xdotool"), arguments);
    XSync(display(), False);
}

inline void movePointer(QPoint point)
{
    xdotool({QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y())});
}

inline void clickAt(QPoint point)
{
    movePointer(point);
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
}

// Writes Tarnel's settings file before it starts.
inline void writeSettings(const QByteArray &json)
{
    const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Tarnel");
    QDir().mkpath(folder);
    QSaveFile file(folder + QStringLiteral("/defaults.json"));
    file.open(QIODevice::WriteOnly);
    file.write(json);
    file.commit();
}

// A started program that is ended when the test is done with it.
class Program {
public:
    explicit Program(const QString &path, const QStringList &arguments = {})
    {
        m_process.setProgram(path);
        m_process.setArguments(arguments);
        // Its error output goes to a file, readable at any time without an event loop.
        m_stderrPath = QDir::temp().filePath(QStringLiteral("tarnel-x11-%1-%2.log")
                                                 .arg(QCoreApplication::applicationPid())
                                                 .arg(++counter()));
        m_process.setStandardErrorFile(m_stderrPath);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.start();
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
        QFile::remove(m_stderrPath);
    }
    QProcess &process() { return m_process; }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    bool waitForExit(std::chrono::milliseconds timeout) { return m_process.waitForFinished(static_cast<int>(timeout.count())); }
    QByteArray errorOutput() const
    {
        QFile file(m_stderrPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    static int &counter()
    {
        static int value = 0;
        return value;
    }

    QProcess m_process;
    QString m_stderrPath;
};

// A private copy of the program for this test binary. Tarnel ends every other process of the
// user that runs its own executable file, so tests running side by side on their own displays
// would otherwise end each other's Tarnel.
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
inline QString fixtureBinary() { return qEnvironmentVariable("TARNEL_FIXTURE"); }

inline std::optional<Window> waitForPanel()
{
    std::optional<Window> panel;
    waitUntil([&] {
        const auto shown = viewable(windowsWithRole("tarnel-panel"));
        if (shown.size() == 1)
            panel = shown.front();
        return panel.has_value();
    });
    return panel;
}

} // namespace X11Probe
