// A change of language reaches every text on screen at once, without reopening a window.
#include "core/AccessibilityNotice.h"
#include "core/L10n.h"
#include "support/FakePanelController.h"
#include "support/FakePanelSheets.h"
#include "support/SeededModel.h"
#include "support/WidgetEvents.h"
#include "ui/library/EntrySectionScreen.h"
#include "ui/library/GalleryScreen.h"
#include "ui/library/JarsScreen.h"
#include "ui/library/SnippetsScreen.h"
#include "ui/panel/EntryActionsMenu.h"
#include "ui/quickaccess/QuickAccessView.h"
#include "ui/settings/SettingsView.h"

#include <QPaintEngine>
#include <QPainter>
#include <QRegularExpression>

#include <gtest/gtest.h>

using testsupport::SeededModel;

namespace {

// A paint engine that draws nothing and keeps every text drawn through it.
class TextRecordingEngine : public QPaintEngine {
public:
    explicit TextRecordingEngine(QStringList &texts) : QPaintEngine(AllFeatures), m_texts(texts) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawImage(const QRectF &, const QImage &, const QRectF &, Qt::ImageConversionFlags) override {}
    void drawPath(const QPainterPath &) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF &, const QTextItem &item) override { m_texts.append(item.text()); }
    Type type() const override { return User; }

private:
    QStringList &m_texts;
};

// The texts a widget and its visible children draw, as a person reads them on screen.
class TextRecorder : public QPaintDevice {
public:
    QStringList texts;

    QPaintEngine *paintEngine() const override { return &m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return 4000;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    mutable TextRecordingEngine m_engine{texts};
};

// Drawn texts, and those a person meets without drawing: titles, tooltips, accessible names.
QStringList shownTexts(QWidget *root)
{
    TextRecorder recorder;
    root->render(&recorder);
    QStringList texts = recorder.texts;
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (QWidget *widget : widgets) {
        if (!widget->isVisible())
            continue;
        if (widget->isWindow())
            texts << widget->windowTitle();
        texts << widget->toolTip() << widget->accessibleName();
    }
    texts.removeAll(QString());
    return texts;
}

// The literal parts of a table text ("Počet: %@" gives "Počet:"), long enough to be telling.
QStringList literalParts(const QString &text)
{
    static const QRegularExpression placeholder(QStringLiteral("%(@|d|lld|\\d)"));
    QStringList parts;
    for (const QString &part : text.split(placeholder)) {
        const QString trimmed = part.trimmed();
        if (trimmed.size() >= 6)
            parts << trimmed;
    }
    return parts;
}

// The texts of one language that the other never shows: their telling parts.
QStringList markersOf(AppLanguage language)
{
    const QHash<QString, QString> &english = L10n::english();
    QStringList own;
    QStringList other;
    for (auto it = english.begin(); it != english.end(); ++it) {
        if (it.key() == it.value())
            continue;
        own << (language == AppLanguage::Sk ? it.key() : it.value());
        other << (language == AppLanguage::Sk ? it.value() : it.key());
    }
    QStringList markers;
    for (const QString &text : own) {
        for (const QString &part : literalParts(text)) {
            const bool elsewhere = std::any_of(other.begin(), other.end(), [&](const QString &o) { return o.contains(part); });
            if (!elsewhere)
                markers << part;
        }
    }
    markers.removeDuplicates();
    return markers;
}

QStringList leftovers(const QStringList &shown, AppLanguage former)
{
    const QStringList markers = markersOf(former);
    QStringList found;
    for (const QString &text : shown) {
        for (const QString &marker : markers) {
            if (text.contains(marker)) {
                found << text;
                break;
            }
        }
    }
    found.removeDuplicates();
    return found;
}

class Host : public QWidget {
public:
    testsupport::FakePanelSheets sheets;
    testsupport::FakePanelController controller;
};

} // namespace

TEST(LanguageSwitch, EveryOpenViewShowsTheNewLanguageAtOnce)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    model.setLanguage(AppLanguage::Sk);
    model.setPasteStackEntryIDs({});
    model.beginQuickAccess(std::nullopt);

    Host host;
    std::vector<std::unique_ptr<QWidget>> views;
    views.push_back(std::make_unique<QuickAccessView>(model));
    views.back()->resize(350, 408);
    for (SettingsView::Tab tab : {SettingsView::Tab::General, SettingsView::Tab::Clipboard,
                                  SettingsView::Tab::Screenshots, SettingsView::Tab::Shortcuts}) {
        auto settings = std::make_unique<SettingsView>(model.preferences(), host.controller, nullptr, true);
        settings->setTab(tab);
        views.push_back(std::move(settings));
    }
    for (ClipboardPanelTab tab : {ClipboardPanelTab::History, ClipboardPanelTab::PasteStack})
        views.push_back(std::make_unique<EntrySectionScreen>(model, host.sheets, tab, nullptr));
    views.push_back(std::make_unique<JarsScreen>(model, host.sheets, nullptr));
    views.push_back(std::make_unique<SnippetsScreen>(model, host.sheets, nullptr));
    views.push_back(std::make_unique<GalleryScreen>(model, host.sheets, nullptr));
    views.push_back(std::unique_ptr<EntryActionsMenu>(
        EntryActionsMenu::create(model, seed.first(ClipboardKind::Color).id, {})));
    for (const auto &view : views) {
        if (view->size().isEmpty() || view->size() == QSize(640, 480))
            view->resize(view->sizeHint().expandedTo(QSize(420, 520)));
        view->show();
    }

    // Switches to English and back, and looks at every view each time.
    const auto switchAndLook = [&model](const std::vector<QWidget *> &open) {
        for (AppLanguage language : {AppLanguage::En, AppLanguage::Sk}) {
            const AppLanguage former = language == AppLanguage::En ? AppLanguage::Sk : AppLanguage::En;
            SCOPED_TRACE(rawValue(language).toStdString());
            model.setLanguage(language);
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            for (QWidget *view : open) {
                const QStringList shown = shownTexts(view);
                ASSERT_FALSE(shown.isEmpty()) << view->metaObject()->className();
                const QStringList left = leftovers(shown, former);
                EXPECT_TRUE(left.isEmpty()) << view->metaObject()->className() << ": " << left.join(" | ").toStdString();
            }
        }
    };
    std::vector<QWidget *> open;
    for (const auto &view : views)
        open.push_back(view.get());
    switchAndLook(open);

    // Quick Access's other pages: the options of a text and of an image, and the notice.
    const std::function<void()> pages[] = {
        [&] {
            model.setSelectedEntry(seed.first(ClipboardKind::Text));
            model.openQuickPasteOptions();
        },
        [&] {
            model.setIsQuickPasteOptionsPresented(false);
            model.setSelectedEntry(seed.first(ClipboardKind::Image));
            model.openQuickPasteOptions();
        },
        [&] { model.setShortcutNotice(AccessibilityNotice::pasteNeedsKeys()); },
    };
    for (const auto &page : pages) {
        page();
        switchAndLook({views.front().get()});
    }
}
