// The whole program: the history shortcut over another application opens Quick Access at the
// screen centre with the keyboard, Ctrl+digit or a click pastes into that application, which
// gets the keyboard back, and the panel returns under the notch. The other application needs a
// moment to take the keyboard once activated: a Ctrl+V sent before the settle is lost.
#include <gtest/gtest.h>

#include "core/ClipboardEntry.h"

#include <QBuffer>
#include <QImage>
#include <QJsonDocument>
#include <QFile>
#include <QJsonObject>

#include "X11TestSupport.h"
#include "support/TestImages.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace x11test;

namespace {

// What the manager's own bars leave of the screen (fluxbox's toolbar at the bottom): Quick Access
// is centred there.
QRect workArea()
{
    const std::vector<unsigned long> area = longProperty(DefaultRootWindow(display()), "_NET_WORKAREA");
    if (area.size() < 4)
        return QRect(0, 0, 1920, 1080);
    return QRect(int(area[0]), int(area[1]), int(area[2]), int(area[3]));
}

QByteArray settingsWithEntries(const QList<ClipboardEntry> &entries)
{
    const QJsonObject values{{"tarnel.onboardingComplete", true},
                             {"tarnel.history", QJsonObject{{"data", QString::fromLatin1(ClipboardEntry::encodeList(entries).toBase64())}}}};
    return QJsonDocument(values).toJson(QJsonDocument::Compact);
}

QByteArray settingsWithHistory(const QStringList &texts)
{
    // Newest first, a minute apart: copies within one clock tick would rank in either order.
    QList<ClipboardEntry> entries;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QString &text : texts) {
        ClipboardEntry entry;
        entry.id = ClipboardEntry::newID();
        entry.text = text;
        entry.copiedAt = now.addSecs(-60 * entries.size());
        entries.append(entry);
    }
    return settingsWithEntries(entries);
}

// The key of the number row that types the digit on a US keyboard (1 to 9), by its XKB name,
// whatever the current layout types there; 0 when the keyboard has no such key.
unsigned numberRowKeycode(int digit)
{
    XkbDescPtr keyboard = XkbGetMap(display(), 0, XkbUseCoreKbd);
    if (keyboard && XkbGetNames(display(), XkbKeyNamesMask, keyboard) != Success) {
        XkbFreeKeyboard(keyboard, 0, True);
        keyboard = nullptr;
    }
    unsigned found = 0;
    const QByteArray name = QByteArrayLiteral("AE0") + QByteArray::number(digit);
    for (int keycode = keyboard ? keyboard->min_key_code : 1; keyboard && keyboard->names && keycode <= keyboard->max_key_code;
         ++keycode) {
        if (QByteArray(keyboard->names->keys[keycode].name, XkbKeyNameLength) == name.leftJustified(XkbKeyNameLength, '\0'))
            found = unsigned(keycode);
    }
    if (keyboard)
        XkbFreeKeyboard(keyboard, 0, True);
    return found;
}

// Ctrl and a key pressed by the key itself, not by what it types (xdotool would add the Shift
// that the digit needs on a layout whose number row types letters).
void pressWithControl(unsigned keycode)
{
    const KeyCode control = XKeysymToKeycode(display(), XK_Control_L);
    XTestFakeKeyEvent(display(), control, True, CurrentTime);
    XTestFakeKeyEvent(display(), keycode, True, CurrentTime);
    XTestFakeKeyEvent(display(), keycode, False, CurrentTime);
    XTestFakeKeyEvent(display(), control, False, CurrentTime);
    XSync(display(), False);
}

// Back to the layout the other tests type with, however the test ends.
struct LayoutGuard {
    ~LayoutGuard() { run(QStringLiteral("setxkbmap"), {"-layout", "us"}); }
};


// The memory a process holds in RAM (VmRSS), in megabytes.
qint64 residentMegabytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024;
    }
    return -1;
}

// A history holding one kept 36 MP camera photo (7360 x 4912, stored as its JPEG).
void writeSettingsWithAKeptCameraPhoto()
{
    ClipboardEntry photo;
    photo.id = ClipboardEntry::newID();
    photo.kind = ClipboardKind::Image;
    photo.copiedAt = QDateTime::currentDateTimeUtc();
    photo.imageData = cameraPhotoJpeg(7360, 4912);
    writeSettings(settingsWithEntries({photo}));
}

} // namespace

// On layouts whose number row types letters (Slovak, Czech) or symbols (French), Ctrl and the
// key of the digit paste by position all the same.
TEST(QuickAccessProgram, CtrlDigitPastesByTheKeyOnEveryLayout)
{
    writeSettings(settingsWithHistory({QStringLiteral("najnovší"), QStringLiteral("druhý riadok")}));
    movePointer(QPoint(960, 700));
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const QRect notchFrame = geometry(*panel);
    Fixture fixture("layouts", {}, QStringLiteral("500x200+100+600"), {"--focus-lag", "50"});
    ASSERT_TRUE(fixture.waitForKeyboard());
    const LayoutGuard guard;

    QString expected;
    for (const char *layout : {"sk", "cz", "fr"}) {
        SCOPED_TRACE(layout);
        ASSERT_EQ(run(QStringLiteral("setxkbmap"), {"-layout", layout}), 0);
        const unsigned second = numberRowKeycode(2);
        ASSERT_NE(second, 0u);
        ASSERT_TRUE(waitForActive(fixture.pid()));
        xdotool({"key", "shift+super+v"});
        ASSERT_TRUE(waitForActive(tarnel.pid())) << "Quick Access takes the keyboard; " << tarnel.errorOutput().constData();
        ASSERT_TRUE(waitForKeyboard(*panel));

        pressWithControl(second);
        expected += QStringLiteral("druhý riadok");
        EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == expected; }, 8000))
            << "[" << fixture.text().toStdString() << "] " << tarnel.errorOutput().constData();
        ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == notchFrame; })) << "Quick Access stayed open";
    }
}

TEST(QuickAccessProgram, HistoryShortcutThenCtrlDigitPastesIntoTheApplicationInFront)
{
    writeSettings(settingsWithHistory({QStringLiteral("najnovší"), QStringLiteral("starší záznam")}));
    movePointer(QPoint(960, 700));
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const QRect notchFrame = geometry(*panel);

    Fixture fixture("quick", {}, QStringLiteral("500x200+100+600"), {"--focus-lag", "50"});
    ASSERT_TRUE(fixture.waitForKeyboard());
    xdotool({"key", "shift+super+v"});
    // Two entries: the smallest Quick Access, centred on the screen.
    const QRect area = workArea();
    const QRect centred(area.x() + (area.width() - 350) / 2, area.y() + (area.height() - 220) / 2, 350, 220);
    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == centred; }));
    ASSERT_TRUE(waitForActive(tarnel.pid())) << "Quick Access takes the keyboard; " << tarnel.errorOutput().constData();
    ASSERT_TRUE(waitForKeyboard(*panel));

    // Released at once: no held key gives the application time to become active before Ctrl+V.
    xdotool({"key", "--delay", "0", "ctrl+2"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("starší záznam"); }, 8000))
        << fixture.text().toStdString() << tarnel.errorOutput().constData();
    EXPECT_TRUE(waitForActive(fixture.pid()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == notchFrame; })) << "back under the notch";
}

namespace {

struct ClickCase {
    const char *name;
    // The pointer rests in the application before the click: a manager whose keyboard follows
    // the pointer (twm, fvwm) gives it the keyboard then, which Quick Access takes back, as the
    // user has not pressed anything yet.
    bool restsFirst;
};

const ClickCase kClicks[] = {
    {"a click", false},
    {"the pointer resting in the application, then a click", true},
};

void PrintTo(const ClickCase &row, std::ostream *out)
{
    *out << row.name;
}

// Long enough for a manager to give the keyboard to the window the pointer came into.
constexpr int kPointerFocusMs = 1500;

class ClickIntoTheApplication : public ::testing::TestWithParam<ClickCase> { };

} // namespace

TEST_P(ClickIntoTheApplication, LosingTheKeyboardClosesItTheShortcutBringsItBackAndTheFirstClickPastes)
{
    const ClickCase &row = GetParam();
    QStringList texts;
    for (int i = 1; i <= 6; ++i)
        texts.append(QStringLiteral("záznam %1").arg(i));
    writeSettings(settingsWithHistory(texts));
    movePointer(QPoint(960, 700));
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const QRect notchFrame = geometry(*panel);
    Fixture fixture("click", {}, QStringLiteral("500x200+100+600"), {"--focus-lag", "50"});
    ASSERT_TRUE(fixture.waitForKeyboard());

    // A click into the other application takes the keyboard: Quick Access closes, as a popover does.
    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(waitForActive(tarnel.pid()));
    if (row.restsFirst) {
        const std::optional<Window> application = fixture.shownWindow();
        ASSERT_TRUE(application);
        // Heard on the server: the program only has the keyboard for the moment before Quick
        // Access takes it back, too short for it to notice.
        XSelectInput(display(), *application, FocusChangeMask);
        XSync(display(), False);
        movePointer(QPoint(300, 700));
        XEvent event;
        const bool given = QTest::qWaitFor([&] { return XCheckTypedWindowEvent(display(), *application, FocusIn, &event); },
                                           kPointerFocusMs);
        XSelectInput(display(), *application, NoEventMask);
        XSync(display(), False);
        // Where the keyboard follows the pointer, Quick Access has it back before the click.
        if (given) {
            ASSERT_TRUE(waitForKeyboard(*panel)) << "Quick Access lost the keyboard to the pointer alone";
        }
    }
    clickAt(QPoint(300, 700));
    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == notchFrame; })) << "Quick Access stayed on screen";
    EXPECT_EQ(activePid(), fixture.pid()) << "the window the user clicked keeps the keyboard";

    // The shortcut brings it back with the keyboard, and the first click on a row pastes it.
    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(waitForActive(tarnel.pid())) << "Quick Access came back without the keyboard";
    // Quick Access is drawn whole (not the notch) before a row can be clicked.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return geometry(*panel) != notchFrame && drawnExtents(*panel).size() == geometry(*panel).size();
    }));
    ASSERT_TRUE(clickIn(*panel, geometry(*panel).center() - geometry(*panel).topLeft()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return texts.contains(fixture.text()); }, 8000))
        << "[" << fixture.text().toStdString() << "] " << tarnel.errorOutput().constData();
    EXPECT_TRUE(waitForActive(fixture.pid()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == notchFrame; })) << "back under the notch";
}

INSTANTIATE_TEST_SUITE_P(Ways, ClickIntoTheApplication, ::testing::ValuesIn(kClicks));

TEST(QuickAccessProgram, AfterTheSaveDialogQuickAccessHasTheKeyboardAgain)
{
    ClipboardEntry image;
    image.id = ClipboardEntry::newID();
    image.kind = ClipboardKind::Image;
    image.copiedAt = QDateTime::currentDateTimeUtc();
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    image.imageData = buffer.data();
    writeSettings(settingsWithEntries({image}));
    movePointer(QPoint(960, 700));
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const QRect notchFrame = geometry(*panel);
    Fixture fixture("behind", {}, QStringLiteral("500x200+100+600"), {"--focus-lag", "50"});
    ASSERT_TRUE(fixture.waitForKeyboard());

    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(waitForActive(tarnel.pid())) << tarnel.errorOutput().constData();
    ASSERT_TRUE(QTest::qWaitFor([&] { return activeWindow() == *panel; })) << activeWindow() << " " << *panel;
    ASSERT_TRUE(waitForKeyboard(*panel));
    // The image, its options, and the third of them: "Uložiť ako PNG".
    xdotool({"key", "--delay", "150", "Down", "Right", "Down", "Down", "Return"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return activePid() == tarnel.pid() && activeWindow() != *panel; }, 8000))
        << "no save dialog; " << tarnel.errorOutput().constData();

    const Window dialog = activeWindow();
    ASSERT_TRUE(waitForKeyboard(dialog)) << "the save dialog takes the keyboard";
    xdotool({"key", "Escape"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return activeWindow() == *panel; }, 8000))
        << "the keyboard went to " << activePid() << ", Tarnel is " << tarnel.pid() << "; " << tarnel.errorOutput().constData();
    // It keeps it once the window manager is done with the dialog (the moment the application
    // behind would take it back): Quick Access is still there, and a key reaches it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !isViewable(dialog); }, 8000)) << "the save dialog stays on the screen";
    EXPECT_TRUE(waitForKeyboard(*panel));
    EXPECT_EQ(activeWindow(), *panel);
    EXPECT_NE(geometry(*panel), notchFrame);
    // Back from the options to the lists, then Quick Access closes.
    xdotool({"key", "--delay", "150", "Escape", "Escape"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == notchFrame; })) << "Escape reached Quick Access";
    EXPECT_TRUE(fixture.text().isEmpty());
}

// A kept camera photo pasted with Quick Access into a program that reads images with Qt (the
// PNG first, five seconds' wait): the picture arrives whole. A 36 MP photo needs more than Qt's
// own decode limit (128 MB): the program raises it, as programs that show photos do.
TEST(QuickAccessProgram, AKeptCameraPhotoPastedIntoAQtProgramArrivesWhole)
{
    writeSettingsWithAKeptCameraPhoto();
    movePointer(QPoint(960, 700));
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    Fixture reader("reader", {}, QStringLiteral("500x200+100+600"), {"--focus-lag", "50", "--image-out", "@image", "--image-limit", "512"});
    ASSERT_TRUE(reader.waitForKeyboard());

    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(waitForActive(tarnel.pid())) << tarnel.errorOutput().constData();
    ASSERT_TRUE(waitForKeyboard(*panel));
    xdotool({"key", "--delay", "0", "ctrl+1"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return reader.file("image").endsWith('\n'); }, 30000))
        << "no paste reached the program; " << tarnel.errorOutput().constData();
    const QList<QByteArray> read = reader.file("image").trimmed().split(' ');
    EXPECT_EQ(read.value(0), "7360x4912") << "after " << read.value(1).toStdString() << " ms; "
                                          << tarnel.errorOutput().constData();
    RecordProperty("qtReaderMilliseconds", read.value(1).toStdString());
}

// Five pastes of a kept 36 MP photo with Quick Access cost memory while the photo is on the
// clipboard (its decode, its PNG); once another program's text has taken the clipboard, what
// the conversions took is given back, the threads that made the PNG included.
TEST(QuickAccessProgram, MemoryTakenByPhotoPastesIsGivenBackOnceATextTakesTheClipboard)
{
    writeSettingsWithAKeptCameraPhoto();
    movePointer(QPoint(960, 700));
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    Fixture reader("reader", {}, QStringLiteral("500x200+100+600"),
                   {"--focus-lag", "50", "--image-out", "@image", "--image-limit", "512"});
    ASSERT_TRUE(reader.waitForKeyboard());
    // Quick Access drawn once with the photo's row: what stays from then on is no paste's.
    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(waitForActive(tarnel.pid()));
    ASSERT_TRUE(waitForKeyboard(*panel));
    xdotool({"key", "Escape"});
    ASSERT_TRUE(waitForActive(reader.pid()));
    const qint64 before = residentMegabytes(tarnel.pid());
    ASSERT_GT(before, 0);

    qint64 peak = before;
    for (int paste = 1; paste <= 5; ++paste) {
        xdotool({"key", "shift+super+v"});
        ASSERT_TRUE(waitForActive(tarnel.pid())) << paste;
        ASSERT_TRUE(waitForKeyboard(*panel)) << paste;
        xdotool({"key", "--delay", "0", "ctrl+1"});
        ASSERT_TRUE(QTest::qWaitFor([&] {
            peak = std::max(peak, residentMegabytes(tarnel.pid()));
            return reader.file("image").count('\n') == paste;
        },
                                    30000))
            << "paste " << paste << " never arrived; " << tarnel.errorOutput().constData();
        ASSERT_TRUE(waitForActive(reader.pid())) << paste;
    }
    EXPECT_EQ(reader.file("image").count("7360x4912"), 5) << reader.file("image").constData();
    ClipboardOwner text(QStringLiteral("a text"));
    ASSERT_TRUE(text.isReady());
    // A 36 MP photo decodes to 145 MB and its PNG takes some 45 MB: with all of that given back,
    // what stays is well below one decode.
    constexpr qint64 kLeftOverMegabytes = 60;
    (void)QTest::qWaitFor([&] { return residentMegabytes(tarnel.pid()) - before <= kLeftOverMegabytes; }, 5000);
    const qint64 after = residentMegabytes(tarnel.pid());
    RecordProperty("residentMegabytes",
                   QStringLiteral("%1 before, %2 at most, %3 after").arg(before).arg(peak).arg(after).toStdString());
    EXPECT_LE(after - before, kLeftOverMegabytes)
        << before << " MB before the pastes, " << peak << " MB at most, " << after << " MB after";
}

// The history shortcut over a terminal, again and again: each time Quick Access takes the keyboard
// and Ctrl+1 pastes the first row into the terminal, the keyboard having gone back to it after the
// paste before; the third time over the terminal made full screen.
TEST(QuickAccessProgram, TheShortcutPastesIntoATerminalEachTimeAlsoOnceItIsFullScreen)
{
    writeSettings(settingsWithHistory({QStringLiteral("prvý riadok"), QStringLiteral("druhý riadok")}));
    // Over where the terminal comes: a manager whose keyboard follows the pointer (twm) gives it
    // the keyboard there.
    movePointer(QPoint(300, 650));
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const QRect notchFrame = geometry(*panel);
    // Raw: every byte the terminal sends reaches the file as it is.
    QTemporaryDir folder;
    const QString received = folder.filePath(QStringLiteral("received"));
    Program terminal(QStringLiteral("env"), {"LC_ALL=C.UTF-8", "xterm", "-geometry", "80x10+100+600", "-e", "sh", "-c", QStringLiteral("stty raw -echo; exec cat > %1").arg(received)});
    std::optional<Window> window;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const std::vector<Window> shown = shownWithClass("XTerm");
        window = shown.size() == 1 ? std::optional<Window>(shown.front()) : std::nullopt;
        return window && hasKeyboard(*window);
    },
                                8000))
        << "the terminal never had the keyboard";
    const auto receivedText = [&received] {
        QFile file(received);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };

    QString expected;
    for (int time = 1; time <= 3; ++time) {
        SCOPED_TRACE(time);
        if (time == 3) {
            // A manager without EWMH (twm) has no full screen to ask for.
            if (!hasAtom(DefaultRootWindow(display()), "_NET_SUPPORTED", "_NET_WM_STATE_FULLSCREEN"))
                GTEST_SKIP() << "the window manager knows no full screen; pasted twice";
            // Full screen, as the window manager is asked by the terminal's own menu or a pager.
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = *window;
            event.xclient.message_type = XInternAtom(display(), "_NET_WM_STATE", False);
            event.xclient.format = 32;
            event.xclient.data.l[0] = 1;
            event.xclient.data.l[1] = long(XInternAtom(display(), "_NET_WM_STATE_FULLSCREEN", False));
            event.xclient.data.l[3] = 1;
            XSendEvent(display(), DefaultRootWindow(display()), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
            XSync(display(), False);
            ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(stackedWindowOf(*window)) == QRect(0, 0, 1920, 1080); }))
                << "the terminal did not go full screen";
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return hasKeyboard(*window); })) << "the terminal has not the keyboard back";
        // The keyboard handed to the terminal once more past the window manager, as a paste hands
        // it back: nothing Tarnel's windows hear tells them of it.
        XSetInputFocus(display(), *window, RevertToParent, CurrentTime);
        XSync(display(), False);
        xdotool({"key", "shift+super+v"});
        ASSERT_TRUE(waitForKeyboard(*panel)) << "Quick Access did not get the keyboard; " << tarnel.errorOutput().constData();
        xdotool({"key", "--delay", "0", "ctrl+1"});
        expected += QStringLiteral("prvý riadok");
        EXPECT_TRUE(QTest::qWaitFor([&] { return receivedText() == expected; }, 8000))
            << "[" << receivedText().toStdString() << "] " << tarnel.errorOutput().constData();
        ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == notchFrame; })) << "Quick Access stayed open";
    }
}
