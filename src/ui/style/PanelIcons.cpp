#include "ui/style/PanelIcons.h"

#include "core/Logging.h"

#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>
#include <utility>

// The icons are compiled into a static library, whose resource registration runs only when
// something asks for it; this must sit outside any namespace.
static void registerIconResource()
{
    Q_INIT_RESOURCE(icons);
}

namespace PanelIcons {
namespace {

// Symbol name -> file in :/icons/. Files named breeze-* come from KDE's Breeze theme; the
// others are our own drawings in the same 16-unit grid.
const QHash<QString, QString> &table()
{
    static const bool registered = (registerIconResource(), true);
    Q_UNUSED(registered);
    static const QHash<QString, QString> files = {
        {QStringLiteral("app"), QStringLiteral("app")},
        {QStringLiteral("archivebox"), QStringLiteral("archivebox")},
        {QStringLiteral("archivebox.fill"), QStringLiteral("archivebox.fill")},
        {QStringLiteral("arrow.down.square"), QStringLiteral("arrow.down.square")},
        {QStringLiteral("arrow.down.to.line"), QStringLiteral("breeze-download")},
        {QStringLiteral("arrow.triangle.2.circlepath"), QStringLiteral("breeze-view-refresh")},
        {QStringLiteral("arrow.turn.down.right"), QStringLiteral("arrow.turn.down.right")},
        {QStringLiteral("arrow.up.left"), QStringLiteral("arrow.up.left")},
        {QStringLiteral("arrow.up.right"), QStringLiteral("arrow.up.right")},
        {QStringLiteral("arrow.up.right.square"), QStringLiteral("breeze-document-export")},
        {QStringLiteral("arrow.up.square"), QStringLiteral("arrow.up.square")},
        {QStringLiteral("aspectratio"), QStringLiteral("aspectratio")},
        {QStringLiteral("at"), QStringLiteral("at")},
        {QStringLiteral("camera.viewfinder"), QStringLiteral("camera.viewfinder")},
        {QStringLiteral("checkmark"), QStringLiteral("breeze-checkmark")},
        {QStringLiteral("checkmark.circle"), QStringLiteral("checkmark.circle")},
        {QStringLiteral("checkmark.circle.fill"), QStringLiteral("checkmark.circle.fill")},
        {QStringLiteral("checkmark.seal.fill"), QStringLiteral("checkmark.seal.fill")},
        {QStringLiteral("chevron.left"), QStringLiteral("breeze-go-previous")},
        {QStringLiteral("chevron.left.forwardslash.chevron.right"), QStringLiteral("breeze-format-text-code")},
        {QStringLiteral("chevron.right"), QStringLiteral("breeze-go-next")},
        {QStringLiteral("chevron.up.chevron.down"), QStringLiteral("chevron.up.chevron.down")},
        {QStringLiteral("circle.dotted"), QStringLiteral("circle.dotted")},
        {QStringLiteral("clock.arrow.circlepath"), QStringLiteral("breeze-view-history")},
        {QStringLiteral("command"), QStringLiteral("command")},
        {QStringLiteral("curlybraces"), QStringLiteral("curlybraces")},
        {QStringLiteral("delete.left"), QStringLiteral("breeze-edit-clear")},
        {QStringLiteral("doc"), QStringLiteral("doc")},
        {QStringLiteral("doc.on.clipboard"), QStringLiteral("breeze-edit-paste")},
        {QStringLiteral("doc.on.doc"), QStringLiteral("breeze-edit-copy")},
        {QStringLiteral("doc.plaintext"), QStringLiteral("doc.plaintext")},
        {QStringLiteral("ellipsis"), QStringLiteral("breeze-overflow-menu")},
        {QStringLiteral("envelope"), QStringLiteral("breeze-mail-message")},
        {QStringLiteral("exclamationmark.triangle"), QStringLiteral("breeze-dialog-warning")},
        {QStringLiteral("eye"), QStringLiteral("breeze-view-visible")},
        {QStringLiteral("folder"), QStringLiteral("breeze-folder")},
        {QStringLiteral("gearshape"), QStringLiteral("gearshape")},
        {QStringLiteral("globe"), QStringLiteral("breeze-globe")},
        {QStringLiteral("hand.point.up.left"), QStringLiteral("breeze-cursor-arrow")},
        {QStringLiteral("hourglass"), QStringLiteral("hourglass")},
        {QStringLiteral("info.circle"), QStringLiteral("breeze-dialog-information")},
        {QStringLiteral("keyboard"), QStringLiteral("breeze-input-keyboard")},
        {QStringLiteral("line.3.horizontal"), QStringLiteral("breeze-application-menu")},
        {QStringLiteral("link"), QStringLiteral("breeze-link")},
        {QStringLiteral("lock"), QStringLiteral("breeze-lock")},
        {QStringLiteral("lock.open"), QStringLiteral("breeze-object-unlocked")},
        {QStringLiteral("lock.open.fill"), QStringLiteral("breeze-object-unlocked")},
        {QStringLiteral("lock.shield"), QStringLiteral("breeze-security-high")},
        {QStringLiteral("magnifyingglass"), QStringLiteral("breeze-search")},
        {QStringLiteral("menubar.rectangle"), QStringLiteral("menubar.rectangle")},
        {QStringLiteral("minus"), QStringLiteral("breeze-list-remove")},
        {QStringLiteral("moon.stars"), QStringLiteral("moon.stars")},
        {QStringLiteral("moon.stars.fill"), QStringLiteral("moon.stars.fill")},
        {QStringLiteral("number"), QStringLiteral("number")},
        {QStringLiteral("paintpalette"), QStringLiteral("paintpalette")},
        {QStringLiteral("pencil"), QStringLiteral("breeze-document-edit")},
        {QStringLiteral("photo"), QStringLiteral("photo")},
        {QStringLiteral("photo.badge.arrow.down"), QStringLiteral("breeze-document-import")},
        {QStringLiteral("photo.on.rectangle.angled"), QStringLiteral("photo.on.rectangle.angled")},
        {QStringLiteral("pin"), QStringLiteral("breeze-pin")},
        {QStringLiteral("pin.fill"), QStringLiteral("breeze-window-pin")},
        {QStringLiteral("pin.slash"), QStringLiteral("breeze-window-unpin")},
        {QStringLiteral("plus"), QStringLiteral("breeze-list-add")},
        {QStringLiteral("power"), QStringLiteral("breeze-system-shutdown")},
        {QStringLiteral("qrcode"), QStringLiteral("qrcode")},
        {QStringLiteral("rectangle"), QStringLiteral("rectangle")},
        {QStringLiteral("rectangle.topthird.inset.filled"), QStringLiteral("rectangle.topthird.inset.filled")},
        {QStringLiteral("return"), QStringLiteral("return")},
        {QStringLiteral("scissors"), QStringLiteral("breeze-edit-cut")},
        {QStringLiteral("slider.horizontal.3"), QStringLiteral("slider.horizontal.3")},
        {QStringLiteral("sparkles"), QStringLiteral("sparkles")},
        {QStringLiteral("sparkles.rectangle.stack"), QStringLiteral("sparkles.rectangle.stack")},
        {QStringLiteral("square.and.arrow.down"), QStringLiteral("breeze-document-save")},
        {QStringLiteral("square.and.pencil"), QStringLiteral("breeze-edit-rename")},
        {QStringLiteral("square.on.square"), QStringLiteral("breeze-edit-copy")},
        {QStringLiteral("square.stack.3d.up"), QStringLiteral("square.stack.3d.up")},
        {QStringLiteral("square.stack.3d.up.fill"), QStringLiteral("square.stack.3d.up.fill")},
        {QStringLiteral("sun.max"), QStringLiteral("sun.max")},
        {QStringLiteral("sun.max.fill"), QStringLiteral("sun.max.fill")},
        {QStringLiteral("text.alignleft"), QStringLiteral("breeze-format-justify-left")},
        {QStringLiteral("text.badge.plus"), QStringLiteral("breeze-insert-text")},
        {QStringLiteral("text.quote"), QStringLiteral("text.quote")},
        {QStringLiteral("text.viewfinder"), QStringLiteral("text.viewfinder")},
        {QStringLiteral("textformat"), QStringLiteral("breeze-draw-text")},
        {QStringLiteral("trash"), QStringLiteral("breeze-edit-delete")},
        {QStringLiteral("tray.and.arrow.down"), QStringLiteral("breeze-document-import")},
        {QStringLiteral("wand.and.stars"), QStringLiteral("breeze-tools-wizard")},
        {QStringLiteral("xmark"), QStringLiteral("xmark")},
        {QStringLiteral("xmark.circle.fill"), QStringLiteral("xmark.circle.fill")},
    };
    return files;
}

// An SF symbol drawn at a font size fills about 1.15 of it; our grid has no padding to speak of.
constexpr qreal kSidePerPoint = 1.15;


// Tinted pictures by symbol, size and colour. Colours that ease between two values make new
// keys on every frame, so the cache is emptied when it grows past this many pictures.
constexpr int kCacheLimit = 512;

QHash<QString, QPixmap> &cache()
{
    static QHash<QString, QPixmap> pixmaps;
    return pixmaps;
}

QString resourcePathOf(const QString &symbol);

// The untinted drawing of a symbol at a pixel size, parsed and rendered once.
QImage drawing(const QString &symbol, int pixels)
{
    static QHash<QString, QImage> drawings;
    const QString key = symbol + QLatin1Char('|') + QString::number(pixels);
    if (const auto hit = drawings.constFind(key); hit != drawings.cend())
        return *hit;
    const QString path = resourcePathOf(symbol);
    QSvgRenderer renderer(path);
    QImage image;
    if (path.isEmpty() || !renderer.isValid()) {
        qCWarning(lcUi) << "No icon for the symbol" << symbol;
    } else {
        image = QImage(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    }
    // Unknown names are remembered too, so that each is logged once per size.
    drawings.insert(key, image);
    return image;
}

QString resourcePathOf(const QString &symbol)
{
    const auto found = table().constFind(symbol);
    return found == table().cend() ? QString() : QStringLiteral(":/icons/%1.svg").arg(*found);
}

} // namespace

QString resourcePath(const QString &symbol) { return resourcePathOf(symbol); }

QStringList symbols()
{
    QStringList names = table().keys();
    names.sort();
    return names;
}

qreal side(qreal pointSize) { return std::round(pointSize * kSidePerPoint); }

QPixmap pixmap(const QString &symbol, qreal sideLength, const QColor &tint, qreal devicePixelRatio)
{
    const int pixels = int(std::ceil(sideLength * devicePixelRatio));
    if (pixels <= 0)
        return {};
    // Built by plain joining: the key is made for every icon of every frame painted.
    const QString key = symbol + u'|' + QString::number(pixels) + u'|' + QString::number(tint.rgba(), 16);
    auto &pixmaps = cache();
    if (const auto hit = pixmaps.constFind(key); hit != pixmaps.cend())
        return *hit;

    const QImage shape = drawing(symbol, pixels);
    if (shape.isNull())
        return {};
    QImage image = shape.copy();
    {
        QPainter painter(&image);
        // Whatever colours the drawing has, its shape is kept and filled with the tint.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), tint);
    }
    QPixmap result = QPixmap::fromImage(std::move(image));
    result.setDevicePixelRatio(devicePixelRatio);
    if (pixmaps.size() >= kCacheLimit)
        pixmaps.clear();
    pixmaps.insert(key, result);
    return result;
}

void paint(QPainter &painter, const QRectF &rect, const QString &symbol, qreal pointSize, const QColor &tint)
{
    const qreal length = side(pointSize);
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPixmap image = pixmap(symbol, length, tint, ratio);
    if (image.isNull())
        return;
    const QRectF target(rect.center().x() - length / 2, rect.center().y() - length / 2, length, length);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, image, QRectF(0, 0, image.width(), image.height()));
    painter.restore();
}

QIcon icon(const QString &symbol, const QColor &tint)
{
    QIcon result;
    for (const int size : {16, 24, 32})
        result.addPixmap(pixmap(symbol, size, tint));
    return result;
}

} // namespace PanelIcons
