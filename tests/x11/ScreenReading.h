#pragma once

// The screen read back two ways. The server's own picture of it (GetImage on the root) is
// what the monitor shows. A capture tool (xwd, ImageMagick's import) composes the screen
// from each window's picture instead, read over the window's whole rectangle, whenever
// windows use visuals or colormaps other than the screen's: that is the picture a user's
// screenshot shows, and the one that hid the desktop under the notch's frame. Without a
// compositor the two must agree; with one, only the compositor knows the screen, and the
// capture tools cannot stand for it.
#include "core/ClipboardEntry.h"

#include <QDateTime>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

#include "X11TestSupport.h"

namespace x11test {

// A compositing manager, running while this lives: plain xcompmgr unless told otherwise.
class Compositor : public Program {
public:
    explicit Compositor(const QString &program = QStringLiteral("xcompmgr"), const QStringList &arguments = {})
        : Program(program, arguments)
    {
        m_ready = QTest::qWaitFor([] { return isRunning(); });
    }
    ~Compositor() { stop(); }
    bool isReady() const { return m_ready; }
    static bool isRunning()
    {
        return XGetSelectionOwner(display(), XInternAtom(display(), "_NET_WM_CM_S0", False)) != 0;
    }
    bool stop()
    {
        close();
        return QTest::qWaitFor([] { return !isRunning(); });
    }

private:
    bool m_ready = false;
};

// The whole screen as the server holds it now (composited, when a compositor runs).
inline QImage framebufferImage()
{
    Display *d = display();
    const Window root = DefaultRootWindow(d);
    XWindowAttributes attributes{};
    XGetWindowAttributes(d, root, &attributes);
    XImage *shot = XGetImage(d, root, 0, 0, unsigned(attributes.width), unsigned(attributes.height), AllPlanes, ZPixmap);
    if (!shot)
        return {};
    QImage image(attributes.width, attributes.height, QImage::Format_RGB32);
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x)
            image.setPixel(x, y, QRgb(XGetPixel(shot, x, y)) | 0xff000000u);
    XDestroyImage(shot);
    return image;
}

// The screen as `xwd -root` captures it; null when xwd is missing or wrote what this does not
// read. A screen of one visual and colormap comes as true colour; windows of several make xwd
// compose the picture as direct colour, its channels looked up in the dump's own colour table.
inline QImage capturedImage()
{
    QByteArray dump;
    if (run(QStringLiteral("xwd"), {"-root", "-silent"}, &dump) != 0)
        return {};
    constexpr int kHeaderFields = 25;
    if (dump.size() < kHeaderFields * 4)
        return {};
    auto field = [&dump](qsizetype offset) { return qFromBigEndian<quint32>(dump.constData() + offset); };
    auto header = [&field](int index) { return field(qsizetype(index) * 4); };
    const quint32 headerSize = header(0), width = header(4), height = header(5), byteOrder = header(7);
    const quint32 bitsPerPixel = header(11), bytesPerLine = header(12), visualClass = header(13);
    const quint32 masks[3] = {header(14), header(15), header(16)};
    const quint32 colours = header(19);
    constexpr quint32 kTrueColor = 4, kDirectColor = 5, kColourEntryBytes = 12;
    const qsizetype pixels = qsizetype(headerSize) + qsizetype(colours) * kColourEntryBytes;
    const bool direct = visualClass == kDirectColor;
    // Whole bytes a pixel; a composed picture packs 24 bits into three.
    const quint32 pixelBytes = bitsPerPixel / 8;
    if ((visualClass != kTrueColor && !direct) || (bitsPerPixel != 24 && bitsPerPixel != 32)
        || bytesPerLine < width * pixelBytes || pixels + qsizetype(bytesPerLine) * height > dump.size())
        return {};
    // One channel of a pixel, 0 to 255.
    auto channel = [&](quint32 pixel, int which) {
        const quint32 mask = masks[which];
        if (!mask)
            return 0;
        int shift = 0;
        while (!((mask >> shift) & 1u))
            ++shift;
        const quint32 value = (pixel & mask) >> shift;
        if (!direct)
            return int(value * 255u / (mask >> shift));
        if (value >= colours)
            return 0;
        // An entry: pixel (4 bytes), then red, green and blue (2 bytes each).
        const qsizetype entry = qsizetype(headerSize) + qsizetype(value) * kColourEntryBytes;
        return int(qFromBigEndian<quint16>(dump.constData() + entry + 4 + which * 2) >> 8);
    };
    QImage image(int(width), int(height), QImage::Format_RGB32);
    for (quint32 y = 0; y < height; ++y) {
        const char *line = dump.constData() + pixels + qsizetype(y) * bytesPerLine;
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(int(y)));
        for (quint32 x = 0; x < width; ++x) {
            const auto *bytes = reinterpret_cast<const uchar *>(line + x * pixelBytes);
            quint32 pixel = 0;
            for (quint32 i = 0; i < pixelBytes; ++i)
                pixel |= quint32(bytes[byteOrder == 0 ? i : pixelBytes - 1 - i]) << (8 * i);
            out[x] = qRgb(channel(pixel, 0), channel(pixel, 1), channel(pixel, 2));
        }
    }
    return image;
}

// The settings of a first run done long ago with a history of `count` texts, newest first and a
// minute apart (copies within one clock tick would rank in either order), and the values of
// `more` beside them.
inline QByteArray settingsWithHistory(int count, const QJsonObject &more = {})
{
    QList<ClipboardEntry> entries;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < count; ++i) {
        ClipboardEntry entry;
        entry.id = ClipboardEntry::newID();
        entry.text = QStringLiteral("záznam %1").arg(i);
        entry.copiedAt = now.addSecs(-60 * i);
        entries.append(entry);
    }
    QJsonObject values{{"tarnel.onboardingComplete", true},
                       {"tarnel.history", QJsonObject{{"data", QString::fromLatin1(ClipboardEntry::encodeList(entries).toBase64())}}}};
    for (auto it = more.begin(); it != more.end(); ++it)
        values.insert(it.key(), it.value());
    return QJsonDocument(values).toJson(QJsonDocument::Compact);
}

} // namespace x11test
