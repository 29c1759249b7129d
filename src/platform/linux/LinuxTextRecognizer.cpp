#include "platform/linux/LinuxTextRecognizer.h"

#include "core/Logging.h"
#include "platform/linux/LinuxQrDetector.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QtConcurrent>

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

const QStringList LinuxTextRecognizer::kWantedLanguages{QStringLiteral("slk"), QStringLiteral("eng")};

namespace {

// Recognisers loaded with the language data are kept for the next request: loading them costs
// more than reading a small selection.
constexpr std::size_t kMaxIdleEngines = 2;
// Screen text is small; Tesseract reads letters best at some 20 to 40 pixels of height.
constexpr int kUpscaleBelowPixels = 2'000'000;
constexpr int kScreenResolution = 144;

// The corners zxing gives are the outer edges of a code's finder patterns; a code on a scaled
// screenshot blurs past them, so its area is grown by this share of its size on every side
// before it is painted over: some two modules of a small code, within the four-module quiet zone
// around it.
constexpr double kCodeAreaGrowth = 1.0 / 14;
// The grey the area is painted with is read this far outside it, where it meets what stays.
constexpr double kSurroundingSamplePixels = 3;
constexpr int kSurroundingSamplesPerSide = 32;

QPolygonF grownFromCentre(const QPolygon &area, double share, double pixels = 0)
{
    const QPointF centre = QPolygonF(area).boundingRect().center();
    QPolygonF grown;
    for (const QPoint &corner : area) {
        const QPointF out = QPointF(corner) - centre;
        const double length = std::hypot(out.x(), out.y());
        grown << centre + out * (1.0 + 2.0 * share) + (length > 0 ? out * (pixels / length) : QPointF());
    }
    return grown;
}

// The grey just outside a code's grown area (its quiet zone, light for a dark code), the median
// of a ring of samples, so that the painted area blends into what is around it.
int surroundingGray(const QImage &gray, const QPolygon &area)
{
    const QPolygonF ring = grownFromCentre(area, kCodeAreaGrowth, kSurroundingSamplePixels);
    std::vector<int> samples;
    for (qsizetype side = 0; side < ring.size(); ++side) {
        const QPointF from = ring.at(side);
        const QPointF to = ring.at((side + 1) % ring.size());
        for (int i = 0; i < kSurroundingSamplesPerSide; ++i) {
            const QPoint at = (from + (to - from) * (double(i) / kSurroundingSamplesPerSide)).toPoint();
            if (gray.rect().contains(at))
                samples.push_back(gray.constScanLine(at.y())[at.x()]);
        }
    }
    if (samples.empty())
        return 255;
    std::nth_element(samples.begin(), samples.begin() + qsizetype(samples.size() / 2), samples.end());
    return samples[samples.size() / 2];
}

// Tesseract reads a QR code's modules as short lines of letters ("s s", "ope bj") among the
// real text. The codes are read apart, as codes, so their areas are painted over with the grey
// around them before the text is read.
void leaveOutQrCodes(QImage &gray)
{
    const QList<QPolygon> areas = LinuxQrDetector::codeAreasNow(gray);
    if (areas.isEmpty())
        return;
    // Every fill is chosen before any is painted, so that one code's fill is not taken for the
    // light around the next.
    std::vector<int> fills;
    for (const QPolygon &area : areas)
        fills.push_back(surroundingGray(gray, area));
    QPainter painter(&gray);
    painter.setPen(Qt::NoPen);
    for (qsizetype i = 0; i < areas.size(); ++i) {
        painter.setBrush(QColor(fills[std::size_t(i)], fills[std::size_t(i)], fills[std::size_t(i)]));
        painter.drawPolygon(grownFromCentre(areas.at(i), kCodeAreaGrowth));
    }
}

QStringList dataPathCandidates()
{
    QStringList candidates;
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    if (!prefix.isEmpty())
        candidates << prefix << prefix + QStringLiteral("/tessdata");
    candidates << QStringLiteral("/usr/share/tesseract-ocr/5/tessdata") << QStringLiteral("/usr/share/tesseract-ocr/4.00/tessdata")
               << QStringLiteral("/usr/share/tessdata") << QStringLiteral("/usr/local/share/tessdata");
    return candidates;
}

QStringList installedIn(const QString &folder)
{
    QStringList found;
    for (const QString &language : LinuxTextRecognizer::kWantedLanguages) {
        if (QFileInfo(folder + QLatin1Char('/') + language + QStringLiteral(".traineddata")).isFile())
            found << language;
    }
    return found;
}

// Tesseract may be built with OpenMP, whose helper threads spin while they wait: next to other
// busy programs one read then takes many times as long (and burns the battery meanwhile). So a
// read runs on its one worker thread, without OpenMP teams. The setting belongs to the calling
// thread, so each read makes it anew. The OpenMP library is looked up at run time: a Tesseract
// built without it needs nothing.
void keepOpenMpToOneThread()
{
    using SetLevels = void (*)(int);
    static const auto setLevels = reinterpret_cast<SetLevels>(::dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"));
    if (setLevels)
        setLevels(0);
}

} // namespace

struct LinuxTextRecognizer::Engines {
    QString dataPath;
    QStringList languages;
    std::mutex mutex;
    std::vector<std::unique_ptr<tesseract::TessBaseAPI>> idle;

    std::unique_ptr<tesseract::TessBaseAPI> acquire(QString *error)
    {
        {
            std::lock_guard lock(mutex);
            if (!idle.empty()) {
                auto engine = std::move(idle.back());
                idle.pop_back();
                return engine;
            }
        }
        auto engine = std::make_unique<tesseract::TessBaseAPI>();
        const QByteArray path = QFile::encodeName(dataPath);
        const QByteArray joined = languages.join(QLatin1Char('+')).toLatin1();
        if (engine->Init(path.constData(), joined.constData(), tesseract::OEM_DEFAULT) != 0) {
            *error = QStringLiteral("Tesseract could not load %1 from %2").arg(QString::fromLatin1(joined), dataPath);
            return nullptr;
        }
        engine->SetPageSegMode(tesseract::PSM_AUTO);
        return engine;
    }

    void release(std::unique_ptr<tesseract::TessBaseAPI> engine)
    {
        engine->Clear();
        std::lock_guard lock(mutex);
        if (idle.size() < kMaxIdleEngines)
            idle.push_back(std::move(engine));
    }
};

namespace {

TextRecognitionResult recognizeWith(LinuxTextRecognizer::Engines &engines, const QImage &image)
{
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return {std::nullopt, QStringLiteral("no image to read")};
    if (engines.languages.isEmpty())
        return {std::nullopt, QStringLiteral("no Tesseract language data for %1 is installed")
                                  .arg(LinuxTextRecognizer::kWantedLanguages.join(QStringLiteral(", ")))};
    keepOpenMpToOneThread();
    QString error;
    std::unique_ptr<tesseract::TessBaseAPI> engine = engines.acquire(&error);
    if (!engine)
        return {std::nullopt, error};

    QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    leaveOutQrCodes(gray);
    int resolution = kScreenResolution / 2;
    if (qint64(gray.width()) * gray.height() < kUpscaleBelowPixels) {
        gray = gray.scaled(gray.size() * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        resolution = kScreenResolution;
    }
    engine->SetImage(gray.constBits(), gray.width(), gray.height(), 1, static_cast<int>(gray.bytesPerLine()));
    engine->SetSourceResolution(resolution);
    if (engine->Recognize(nullptr) != 0) {
        engines.release(std::move(engine));
        return {std::nullopt, QStringLiteral("Tesseract could not read the image")};
    }

    QStringList lines;
    std::unique_ptr<tesseract::ResultIterator> it(engine->GetIterator());
    if (it) {
        do {
            std::unique_ptr<char[]> raw(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
            if (!raw)
                continue; // a line without a reading
            // Tesseract reports a picture without words (a QR code, a photo) as lines of spaces; those
            // are no text, so such an image reads as the empty text, as it would with no lines at all.
            QString line = QString::fromUtf8(raw.get());
            while (!line.isEmpty() && line.back().isSpace())
                line.chop(1);
            if (!line.isEmpty())
                lines << line;
        } while (it->Next(tesseract::RIL_TEXTLINE));
    }
    it.reset();
    engines.release(std::move(engine));
    return {lines.join(QLatin1Char('\n')), QString()};
}

} // namespace

LinuxTextRecognizer::LinuxTextRecognizer(const QString &dataPath) : m_engines(std::make_shared<Engines>())
{
    const QStringList candidates = dataPath.isEmpty() ? dataPathCandidates() : QStringList{dataPath};
    for (const QString &candidate : candidates) {
        const QStringList languages = installedIn(candidate);
        if (!languages.isEmpty()) {
            m_engines->dataPath = candidate;
            m_engines->languages = languages;
            break;
        }
    }
    if (m_engines->languages.isEmpty())
        qCWarning(lcPlatform) << "No Tesseract language data found; text recognition is unavailable";
}

LinuxTextRecognizer::~LinuxTextRecognizer() = default;

QStringList LinuxTextRecognizer::languages() const
{
    return m_engines->languages;
}

QFuture<TextRecognitionResult> LinuxTextRecognizer::recognize(const QImage &image)
{
    // The engines are shared with the task, so a request outlives a recognizer that goes away.
    return QtConcurrent::run([engines = m_engines, image] { return recognizeWith(*engines, image); });
}
