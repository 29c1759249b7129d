// Text and QR recognition against real Tesseract and zxing-cpp, on images drawn here.
#include "platform/x11/LinuxQrDetector.h"
#include "platform/x11/LinuxTextRecognizer.h"

#include <QFile>
#include <QFont>
#include <QFutureWatcher>
#include <QPainter>
#include <QTemporaryDir>
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

TextRecognitionResult recognizeAndWait(TextRecognizer &recognizer, const QImage &image)
{
    QFuture<TextRecognitionResult> future = recognizer.recognize(image);
    EXPECT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 60000));
    return future.result();
}

// The share of `words` that the text holds, ignoring case.
double shareFound(const QString &text, const QStringList &words)
{
    int found = 0;
    for (const QString &word : words)
        found += text.contains(word, Qt::CaseInsensitive) ? 1 : 0;
    return double(found) / double(words.size());
}

QImage qrImage(const std::string &payload, int side, ZXing::BarcodeFormat format = ZXing::BarcodeFormat::QRCode)
{
    const ZXing::BitMatrix matrix = ZXing::MultiFormatWriter(format).setMargin(4).setEncoding(ZXing::CharacterSet::UTF8).encode(payload, side, side);
    QImage image(matrix.width(), matrix.height(), QImage::Format_RGB32);
    for (int y = 0; y < matrix.height(); ++y) {
        for (int x = 0; x < matrix.width(); ++x)
            image.setPixel(x, y, matrix.get(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    }
    return image;
}

QImage canvasWith(const QList<std::pair<QImage, QPoint>> &pieces, QSize size = QSize(1600, 900))
{
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    for (const auto &[piece, at] : pieces)
        painter.drawImage(at, piece);
    return canvas;
}

TEST(LinuxTextRecognizer, ReadsSlovakAndEnglishLinesInOrder)
{
    LinuxTextRecognizer recognizer;
    ASSERT_EQ(recognizer.languages(), (QStringList{QStringLiteral("slk"), QStringLiteral("eng")}));
    const QStringList lines{QStringLiteral("Dobrý deň, ďakujem za kávu."), QStringLiteral("Žltý kôň pije vodu z potoka."),
                            QStringLiteral("The quick brown fox jumps over the lazy dog.")};
    const TextRecognitionResult result = recognizeAndWait(recognizer, renderLines(lines));
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    const QString text = *result.text;
    SCOPED_TRACE(text.toStdString());
    const QStringList read = text.split(QLatin1Char('\n'));
    ASSERT_EQ(read.size(), 3) << "one line of text per drawn line, no blank lines, no trailing break";
    EXPECT_FALSE(text.endsWith(QLatin1Char('\n')));
    // Each line in its place, with most of its words (accents included) read right.
    EXPECT_GE(shareFound(read[0], {QStringLiteral("Dobrý"), QStringLiteral("deň"), QStringLiteral("ďakujem"),
                                   QStringLiteral("kávu")}),
              0.75);
    EXPECT_GE(shareFound(read[1], {QStringLiteral("Žltý"), QStringLiteral("kôň"), QStringLiteral("pije"),
                                   QStringLiteral("vodu"), QStringLiteral("potoka")}),
              0.8);
    EXPECT_GE(shareFound(read[2], {QStringLiteral("quick"), QStringLiteral("brown"), QStringLiteral("fox"),
                                   QStringLiteral("jumps"), QStringLiteral("lazy"), QStringLiteral("dog")}),
              0.8);
}

TEST(LinuxTextRecognizer, RecognitionRunsOffTheMainThreadWhileTheEventLoopTurns)
{
    LinuxTextRecognizer recognizer;
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

} // namespace
