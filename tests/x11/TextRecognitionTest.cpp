// Text recognition against real Tesseract, on an image drawn here.
#include "platform/linux/LinuxTextRecognizer.h"

#include <QFont>
#include <QFile>
#include <QFutureWatcher>
#include <QPainter>
#include <QTest>
#include <QThread>
#include <QTimer>

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

} // namespace
