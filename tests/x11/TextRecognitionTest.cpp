// Text recognition against real Tesseract, on an image drawn here.
#include "platform/x11/LinuxTextRecognizer.h"

#include <QFont>
#include <QFutureWatcher>
#include <QPainter>
#include <QTest>
#include <QThread>
#include <QTimer>

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

} // namespace
