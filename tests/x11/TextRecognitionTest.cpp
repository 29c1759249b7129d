// Text recognition against real Tesseract, on an image drawn here.
#include "platform/linux/LinuxQrDetector.h"
#include "platform/linux/LinuxTextRecognizer.h"

#include <QFont>
#include <QFile>
#include <QFutureWatcher>
#include <QPainter>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <string>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <gtest/gtest.h>

namespace {

QImage renderLines(const QStringList &lines, QSize size = QSize(1400, 420), int pixelSize = 44)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    painter.setFont(font);
    painter.setPen(Qt::black);
    int y = pixelSize * 2;
    for (const QString &line : lines) {
        painter.drawText(40, y, line);
        y += pixelSize * 2;
    }
    return image;
}

// A page of text lines with a QR code of the payload at its left and the lines beside the code
// starting just to its right, as a code printed beside a paragraph or a form shows. The code's
// modules are `modulePixels` wide, smoothly scaled as a page shown at some zoom draws them; on
// a dark page the code keeps a light margin of its own.
QImage pageWithCode(const QStringList &lines, const std::string &payload, double modulePixels, int pixelSize,
                    bool dark = false)
{
    const int lineStep = 2 * pixelSize;
    const ZXing::BitMatrix matrix = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode).setMargin(0).encode(payload, 0, 0);
    QImage code(matrix.width(), matrix.height(), QImage::Format_RGB32);
    for (int y = 0; y < matrix.height(); ++y) {
        for (int x = 0; x < matrix.width(); ++x)
            code.setPixel(x, y, matrix.get(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    }
    code = code.scaled(int(code.width() * modulePixels), int(code.height() * modulePixels), Qt::IgnoreAspectRatio,
                       Qt::SmoothTransformation);
    const QRect codeArea(QPoint(30, 120), code.size());
    const int lightMargin = int(2 * modulePixels);
    const QRect drawnArea = codeArea.adjusted(-lightMargin, -lightMargin, lightMargin, lightMargin);

    QImage image(1700, lineStep * (int(lines.size()) + 2), QImage::Format_RGB32);
    image.fill(dark ? QColor(0x22, 0x22, 0x28) : QColor(Qt::white));
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    painter.setFont(font);
    painter.setPen(dark ? QColor(0xee, 0xee, 0xee) : QColor(Qt::black));
    int baseline = lineStep;
    for (const QString &line : lines) {
        const bool besideCode = baseline + pixelSize / 2 >= drawnArea.top() && baseline - pixelSize <= drawnArea.bottom();
        painter.drawText(besideCode ? codeArea.right() + 30 : 40, baseline, line);
        baseline += lineStep;
    }
    painter.fillRect(drawnArea, Qt::white);
    painter.drawImage(codeArea.topLeft(), code);
    return image;
}

TEST(LinuxTextRecognizer, RecognitionRunsOffTheMainThreadWhileTheEventLoopTurns)
{
    LinuxTextRecognizer recognizer;
    ASSERT_EQ(recognizer.languages(), (QStringList{QStringLiteral("slk"), QStringLiteral("eng")}));
    QStringList lines;
    for (int i = 0; i < 8; ++i)
        lines << QStringLiteral("Riadok %1: text na čítanie z obrazovky").arg(i + 1);
    const QImage image = renderLines(lines, QSize(1800, 1400), 40);

    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);
    QFutureWatcher<TextRecognitionResult> watcher;
    bool deliveredOnMainThread = false;
    QObject::connect(&watcher, &QFutureWatcherBase::finished,
                     [&] { deliveredOnMainThread = QThread::currentThread() == qApp->thread(); });
    QFuture<TextRecognitionResult> future = recognizer.recognize(image);
    watcher.setFuture(future);
    EXPECT_FALSE(future.isFinished()) << "recognize() returned only after the work was done";
    const int ticksAtStart = ticks;
    ASSERT_TRUE(QTest::qWaitFor([&] { return deliveredOnMainThread; }, 60000));
    EXPECT_GT(ticks - ticksAtStart, 3) << "the main thread was blocked while recognising";
    EXPECT_TRUE(future.result().ok());
    EXPECT_TRUE(future.result().text->contains(QStringLiteral("Riadok")));
}

// An image without a word on it reads as no text at all, not as blank lines: the text sheet says
// that nothing was found instead of showing an empty editor.
TEST(LinuxTextRecognizer, AnImageWithoutWordsGivesTheEmptyText)
{
    LinuxTextRecognizer recognizer;
    QImage code(380, 380, QImage::Format_RGB32);
    code.fill(Qt::white);
    const ZXing::BitMatrix matrix =
        ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode).setMargin(4).encode("https://example.org/qa?x=1&y=2", 300, 300);
    for (int y = 0; y < matrix.height(); ++y) {
        for (int x = 0; x < matrix.width(); ++x)
            code.setPixel(40 + x, 40 + y, matrix.get(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    }
    QImage blank(400, 300, QImage::Format_RGB32);
    blank.fill(Qt::white);
    for (const QImage &image : {code, blank}) {
        QFuture<TextRecognitionResult> future = recognizer.recognize(image);
        ASSERT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 60000));
        ASSERT_TRUE(future.result().ok());
        EXPECT_EQ(*future.result().text, QString()) << future.result().text->toStdString();
    }
    // Words keep their lines, without the blank ones between them.
    QFuture<TextRecognitionResult> words = recognizer.recognize(
        renderLines({QStringLiteral("Prvý riadok"), QString(), QStringLiteral("Tretí riadok")}, QSize(900, 420)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return words.isFinished(); }, 60000));
    ASSERT_TRUE(words.result().ok());
    EXPECT_EQ(words.result().text->split(QLatin1Char('\n')).size(), 2) << words.result().text->toStdString();
}

// A screenshot with a QR code among its lines reads as its lines alone: Tesseract reads the
// code's modules as letters ("ym K 7", "MUR LY v") in front of the lines beside it. The code is
// still found, as a code.
TEST(LinuxTextRecognizer, TheAreaOfAQrCodeIsLeftOutOfTheText)
{
    LinuxTextRecognizer recognizer;
    QStringList lines;
    for (int i = 0; i < 12; ++i)
        lines << QStringLiteral("Riadok %1 textu na obrazovke, ktorý treba prečítať").arg(i + 1);
    const std::string link = "https://example.org/pay?id=4711&amount=12.50";
    const std::string dense = "https://example.org/" + std::string(200, 'x') + "?a=12345678";
    struct Case {
        const char *name;
        QImage image;
    };
    const Case cases[] = {
        {"two pixels a module beside large text", pageWithCode(lines, link, 2, 22)},
        {"two pixels a module beside small text", pageWithCode(lines, link, 2, 14)},
        {"three pixels a module beside small text", pageWithCode(lines, link, 3, 14)},
        {"five pixels a module", pageWithCode(lines, link, 5, 22)},
        {"a dense code", pageWithCode(lines, dense, 3, 22)},
        {"on a dark page", pageWithCode(lines, link, 5, 22, true)},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(LinuxQrDetector::detectNow(c.image).size(), 1) << c.name << ": the code must read";
        QFuture<TextRecognitionResult> future = recognizer.recognize(c.image);
        ASSERT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 120000)) << c.name;
        ASSERT_TRUE(future.result().ok()) << c.name;
        EXPECT_EQ(future.result().text->toStdString(), lines.join(QLatin1Char('\n')).toStdString()) << c.name;
    }
}

} // namespace
