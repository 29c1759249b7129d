// The whole program: the history shortcut over another application opens Quick Access at the
// screen centre with the keyboard, Ctrl+digit or a click pastes into that application, which
// gets the keyboard back, and the panel returns under the notch. The other application needs a
// moment to take the keyboard once activated: a Ctrl+V sent before the settle is lost.
// gtest first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>

#include "core/ClipboardEntry.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

#include "X11Probe.h"

using namespace X11Probe;

namespace {

QByteArray settingsWithHistory(const QStringList &texts)
{
    QList<ClipboardEntry> entries;
    for (const QString &text : texts) {
        ClipboardEntry entry;
        entry.id = ClipboardEntry::newID();
        entry.text = text;
        entry.copiedAt = QDateTime::currentDateTimeUtc();
        entry.kind = ClipboardKind::Text;
        entries.append(entry);
    }
    QJsonObject values;
    values.insert(QStringLiteral("tarnel.onboardingComplete"), true);
    values.insert(QStringLiteral("tarnel.history"),
                  QJsonObject{{QStringLiteral("data"), QString::fromLatin1(ClipboardEntry::encodeList(entries).toBase64())}});
    return QJsonDocument(values).toJson(QJsonDocument::Compact);
}

qint64 activePid()
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), {"getactivewindow", "getwindowpid"});
    if (!process.waitForFinished(5000))
        return 0;
    return process.readAllStandardOutput().trimmed().toLongLong();
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

TEST(QuickAccessProgram, HistoryShortcutThenCtrlDigitPastesIntoTheApplicationInFront)
{
    writeSettings(settingsWithHistory({QStringLiteral("najnovší"), QStringLiteral("starší záznam")}));
    movePointer(QPoint(960, 700));
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const QRect notchFrame = geometry(*panel);

    QTemporaryDir folder;
    const QString out = folder.filePath(QStringLiteral("fixture.txt"));
    Program fixture(fixtureBinary(), {"--out", out, "--title", "quick", "--geometry", "500x200+100+600", "--focus-lag", "50"});
    ASSERT_TRUE(waitUntil([&] { return activePid() == fixture.process().processId(); }, 8000ms));
    QThread::msleep(300);

    xdotool({"key", "shift+super+v"});
    // Two entries: the smallest Quick Access, centred on the screen.
    EXPECT_TRUE(waitUntil([&] { return geometry(*panel) == QRect(785, 430, 350, 220); }))
        << geometry(*panel).x() << "," << geometry(*panel).y() << " " << geometry(*panel).width() << "x"
        << geometry(*panel).height();
    ASSERT_TRUE(waitUntil([&] { return activePid() == tarnel.process().processId(); }))
        << "Quick Access takes the keyboard; " << tarnel.errorOutput().constData();
    QThread::msleep(200);

    // Released at once: no held key gives the application time to become active before Ctrl+V.
    xdotool({"key", "--delay", "0", "ctrl+2"});
    EXPECT_TRUE(waitUntil([&] { return readText(out) == QStringLiteral("starší záznam"); }, 8000ms))
        << readText(out).toStdString() << tarnel.errorOutput().constData();
    EXPECT_TRUE(waitUntil([&] { return activePid() == fixture.process().processId(); }));
    EXPECT_TRUE(waitUntil([&] { return geometry(*panel) == notchFrame; })) << "back under the notch";
}

TEST(QuickAccessProgram, LosingTheKeyboardClosesItTheShortcutBringsItBackAndTheFirstClickPastes)
{
    QStringList texts;
    for (int i = 1; i <= 6; ++i)
        texts.append(QStringLiteral("záznam %1").arg(i));
    writeSettings(settingsWithHistory(texts));
    movePointer(QPoint(960, 700));
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const QRect notchFrame = geometry(*panel);

    QTemporaryDir folder;
    const QString out = folder.filePath(QStringLiteral("fixture.txt"));
    Program fixture(fixtureBinary(), {"--out", out, "--title", "click", "--geometry", "500x200+100+600", "--focus-lag", "50"});
    const qint64 fixturePid = fixture.process().processId();
    ASSERT_TRUE(waitUntil([&] { return activePid() == fixturePid; }, 8000ms));
    QThread::msleep(300);

    // A click into the other application takes the keyboard: Quick Access closes, as a popover does.
    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(waitUntil([&] { return activePid() == tarnel.process().processId(); }));
    clickAt(QPoint(300, 700));
    EXPECT_TRUE(waitUntil([&] { return geometry(*panel) == notchFrame; })) << "Quick Access stayed on screen";
    EXPECT_EQ(activePid(), fixturePid) << "the window the user clicked keeps the keyboard";

    // The shortcut brings it back with the keyboard, and the first click on a row pastes it.
    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(waitUntil([&] { return activePid() == tarnel.process().processId(); }))
        << "Quick Access came back without the keyboard";
    ASSERT_TRUE(waitUntil([&] { return geometry(*panel) != notchFrame; }));
    QThread::msleep(200);
    clickAt(geometry(*panel).center());
    EXPECT_TRUE(waitUntil([&] { return texts.contains(readText(out)); }, 8000ms))
        << "[" << readText(out).toStdString() << "] " << tarnel.errorOutput().constData();
    EXPECT_TRUE(waitUntil([&] { return activePid() == fixturePid; }));
    EXPECT_TRUE(waitUntil([&] { return geometry(*panel) == notchFrame; })) << "back under the notch";
}
