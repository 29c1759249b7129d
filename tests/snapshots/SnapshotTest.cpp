#include "snapshots/SnapshotCatalog.h"

#include "engine/ClipboardModel.h"
#include "support/ScopedLanguage.h"
#include "ui/style/PanelMotion.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"

#include <QAbstractScrollArea>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLayout>
#include <QPainter>

#include <memory>

namespace {

constexpr qreal kPictureScale = 2;

QString snapshotFolder() { return QStringLiteral(TARNEL_SNAPSHOT_DIR); }

// A visible child that is smaller than it needs to be, or pushed outside its parent, while its
// size policy says it must keep its size.
QStringList squeezedChildren(const QWidget *root)
{
    QStringList faults;
    for (const QWidget *child : root->findChildren<QWidget *>()) {
        if (!child->isVisibleTo(root))
            continue;
        const QSizePolicy policy = child->sizePolicy();
        const QSize need = child->minimumSizeHint();
        const QString name = QString::fromLatin1(child->metaObject()->className());
        if (policy.horizontalPolicy() == QSizePolicy::Fixed && need.width() > 0 && child->width() < need.width())
            faults.append(QStringLiteral("%1 is %2 wide, needs %3").arg(name).arg(child->width()).arg(need.width()));
        if (policy.verticalPolicy() == QSizePolicy::Fixed && need.height() > 0 && child->height() < need.height())
            faults.append(QStringLiteral("%1 is %2 high, needs %3").arg(name).arg(child->height()).arg(need.height()));
        // Every ancestor up to the root clips: a fixed-size child must lie inside all of them.
        if (policy.horizontalPolicy() == QSizePolicy::Fixed || policy.verticalPolicy() == QSizePolicy::Fixed) {
            for (const QWidget *ancestor = child->parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
                const QRect inAncestor(child->mapTo(ancestor, QPoint(0, 0)), child->size());
                // A scroll area's viewport shows part of a taller list: only a cut across is a fault.
                const auto *area = qobject_cast<const QAbstractScrollArea *>(ancestor->parentWidget());
                const bool scrolls = area && area->viewport() == ancestor;
                const bool inside = scrolls ? inAncestor.left() >= 0 && inAncestor.right() <= ancestor->rect().right()
                                            : ancestor->rect().contains(inAncestor);
                if (!inside) {
                    faults.append(QStringLiteral("%1 is cut by %2").arg(name, QString::fromLatin1(ancestor->metaObject()->className())));
                    break;
                }
                if (scrolls)
                    break; // the viewport lies inside the area's own frame
                if (ancestor == root)
                    break;
            }
        }
    }
    return faults;
}

// Symbols a view asked for that the icon table does not hold: drawn as nothing, so a fault.
QStringList g_missingSymbols;

void recordMissingSymbols(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QStringLiteral("No icon for the symbol")))
        g_missingSymbols.append(message);
    if (type != QtDebugMsg)
        fprintf(stderr, "%s: %s\n", context.category ? context.category : "", qPrintable(message));
}

struct Variant {
    PanelStyle::Scheme scheme;
    const char *schemeName;
    const char *language;
};

constexpr Variant kVariants[] = {
    {PanelStyle::Scheme::Dark, "dark", "sk"},
    {PanelStyle::Scheme::Dark, "dark", "en"},
    {PanelStyle::Scheme::Light, "light", "sk"},
    {PanelStyle::Scheme::Light, "light", "en"},
};

} // namespace

// Draws every catalogued view in each scheme and language, writes the pictures, and fails on a
// wrong frame, a cut fixed text or a squeezed fixed-size child.
TEST(Snapshots, EveryViewDrawsAtItsFrameWithoutCutLabels)
{
    PanelMotion::ScopedFactor still(0);
    const QtMessageHandler previousHandler = qInstallMessageHandler(recordMissingSymbols);
    ASSERT_TRUE(QDir().mkpath(snapshotFolder()));
    testsupport::SeededModel seed;

    for (const SnapshotView &view : snapshotViews()) {
        for (const Variant &variant : kVariants) {
            const QString picture = QStringLiteral("%1-%2-%3").arg(view.name, QLatin1String(variant.schemeName),
                                                                   QLatin1String(variant.language));
            SCOPED_TRACE(picture.toStdString());
            ScopedLanguage language(QString::fromLatin1(variant.language));
            QStringList cuts;
            PanelText::setCutObserver([&cuts](const QString &text, const QRectF &room) {
                cuts.append(QStringLiteral("\"%1\" in %2 x %3").arg(text).arg(room.width()).arg(room.height()));
            });

            // The model says what the picture shows, so that a control showing the model's
            // choice (the appearance and language pickers) agrees with the rest of the picture.
            seed.model().setAppearance(variant.scheme == PanelStyle::Scheme::Dark ? ClipboardAppearance::Dark
                                                                                  : ClipboardAppearance::Light);
            seed.model().setLanguage(QLatin1String(variant.language) == QLatin1String("en") ? AppLanguage::En
                                                                                            : AppLanguage::Sk);
            QCoreApplication::processEvents();
            SnapshotContext context{seed};
            std::unique_ptr<QWidget> widget(view.make(context));
            ASSERT_TRUE(widget);
            PanelStyle::applyScheme(widget.get(), variant.scheme);
            widget->setAttribute(Qt::WA_DontShowOnScreen);
            widget->show();
            const QSize hint = widget->sizeHint();
            int width = view.size.width() > 0 ? view.size.width() : (view.hostWidth > 0 ? view.hostWidth : hint.width());
            int height = view.size.height() > 0 ? view.size.height()
                         : widget->hasHeightForWidth() ? widget->heightForWidth(width) : hint.height();
            widget->resize(width, height);
            if (widget->layout())
                widget->layout()->activate();
            QCoreApplication::processEvents();

            // The frame the design gives: the view asks for exactly that size.
            if (view.size.width() > 0) {
                EXPECT_EQ(hint.width(), view.size.width()) << "width the view asks for";
            }
            if (view.size.height() > 0) {
                EXPECT_EQ(widget->hasHeightForWidth() ? widget->heightForWidth(width) : hint.height(), view.size.height())
                    << "height the view asks for";
            }

            QImage image(widget->size() * kPictureScale, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(kPictureScale);
            {
                QPainter painter(&image);
                PanelStyle::fillBackground(painter, QRectF(QPointF(0, 0), QSizeF(widget->size())), variant.scheme);
            }
            widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
            EXPECT_TRUE(image.save(QDir(snapshotFolder()).filePath(picture + QStringLiteral(".png"))));

            EXPECT_TRUE(cuts.isEmpty()) << cuts.join(QStringLiteral("; ")).toStdString();
            const QStringList squeezed = squeezedChildren(widget.get());
            EXPECT_TRUE(squeezed.isEmpty()) << squeezed.join(QStringLiteral("; ")).toStdString();
            PanelText::setCutObserver({});
        }
    }
    qInstallMessageHandler(previousHandler);
    EXPECT_TRUE(g_missingSymbols.isEmpty()) << g_missingSymbols.join(QStringLiteral("; ")).toStdString();
}
