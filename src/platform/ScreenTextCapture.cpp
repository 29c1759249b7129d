#include "platform/ScreenTextCapture.h"

#include "core/Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPointer>
#include <QUuid>
#include <QtConcurrent>

#include <memory>

namespace {

// Creates the private folder of one read, readable by its owner only, as the selection shows
// whatever was on the screen.
std::optional<QString> createPrivateFolder(QString *error)
{
    const QString name = QStringLiteral("tarnel-ocr-") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const QString path = QDir(QDir::tempPath()).filePath(name);
    if (!QDir().mkpath(QDir::tempPath()) || !QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        *error = QStringLiteral("could not create the temporary folder %1").arg(path);
        return std::nullopt;
    }
    return path;
}

} // namespace

ScreenTextCapture::ScreenTextCapture(RegionCapture &capture, TextRecognizer &recognizer, QObject *parent)
    : QObject(parent), m_capture(capture), m_recognizer(recognizer)
{
}

void ScreenTextCapture::readSelection(Done done)
{
    QString error;
    const std::optional<QString> folder = createPrivateFolder(&error);
    if (!folder) {
        done({ScreenTextResult::Outcome::Failed, QString(), error});
        return;
    }
    // Every road below ends in finish(), which removes the folder before reporting.
    auto finish = [folder = *folder, done = std::move(done), self = QPointer<ScreenTextCapture>(this)](
                      const ScreenTextResult &result) {
        QDir(folder).removeRecursively();
        if (self)
            done(result);
    };
    const QString pngPath = QDir(*folder).filePath(QStringLiteral("selection.png"));
    m_capture.captureRegion(pngPath, [self = QPointer<ScreenTextCapture>(this), pngPath, finish](
                                         RegionCaptureOutcome outcome, const QString &captureError) {
        if (outcome == RegionCaptureOutcome::Failed) {
            finish({ScreenTextResult::Outcome::Failed, QString(), captureError});
            return;
        }
        if (outcome == RegionCaptureOutcome::Cancelled || !QFile::exists(pngPath) || !self) {
            finish({ScreenTextResult::Outcome::Nothing, QString(), QString()});
            return;
        }
        // Decoding a large selection is heavy enough to stay off the main thread too. The
        // continuations hang on the application, not on this object, so that the folder is
        // removed even when this object is gone by then.
        QFuture<QImage> image = QtConcurrent::run([pngPath] { return QImage(pngPath, "PNG"); });
        image.then(QCoreApplication::instance(), [self, pngPath, finish](const QImage &decoded) {
            if (decoded.isNull()) {
                finish({ScreenTextResult::Outcome::Failed, QString(),
                        QStringLiteral("could not read the selection image %1").arg(pngPath)});
                return;
            }
            if (!self) {
                finish({ScreenTextResult::Outcome::Nothing, QString(), QString()});
                return;
            }
            self->m_recognizer.recognize(decoded).then(
                QCoreApplication::instance(), [finish](const TextRecognitionResult &result) {
                    if (result.ok())
                        finish({ScreenTextResult::Outcome::Text, *result.text, QString()});
                    else
                        finish({ScreenTextResult::Outcome::Failed, QString(), result.error});
                });
        });
    });
}
