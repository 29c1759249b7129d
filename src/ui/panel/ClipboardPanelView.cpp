#include "ui/panel/ClipboardPanelView.h"

#include "shell/NotchPanelController.h"
#include "core/L10n.h"
#include "core/TarnelNotchShape.h"
#include "shell/PanelModelLink.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QColor notchColor(ClipboardAppearance appearance)
{
    return appearance == ClipboardAppearance::Light ? QColor(242, 242, 245) : QColor(12, 12, 14);
}

QColor textColor(ClipboardAppearance appearance)
{
    return appearance == ClipboardAppearance::Light ? QColor(20, 20, 24) : QColor(235, 235, 240);
}

// A translated text with its "%d" filled in.
QString withNumber(QString text, int number)
{
    return text.replace(QStringLiteral("%d"), QString::number(number));
}

QString modeTitle(ClipboardPresentationMode mode)
{
    return mode == ClipboardPresentationMode::MenuBar ? L10n::text(QStringLiteral("Modal"))
                                                      : L10n::text(QStringLiteral("Notch"));
}

QString modeButtonName(ClipboardPresentationMode mode)
{
    return QStringLiteral("presentationMode-") + rawValue(mode);
}

} // namespace

ClipboardPanelView::ClipboardPanelView(PanelModelLink &model, NotchPanelController &controller,
                                       bool isStandaloneSettings, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_controller(controller)
    , m_isStandaloneSettings(isStandaloneSettings)
{
    auto *layout = new QVBoxLayout(this);
    m_status = new QLabel(this);
    m_status->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_status->setWordWrap(true);
    layout->addWidget(m_status);
    if (isStandaloneSettings)
        buildSettings();
    else
        layout->setContentsMargins(24, 12, 24, 12);
    layout->addStretch();

    connect(&controller, &NotchPanelController::drawnNotchSizeChanged, this, &ClipboardPanelView::refresh);
    connect(&controller, &NotchPanelController::isContentExpandedChanged, this, &ClipboardPanelView::refresh);
    connect(&model, &PanelModelLink::entriesChanged, this, &ClipboardPanelView::refresh);
    connect(&model, &PanelModelLink::appearanceChanged, this, &ClipboardPanelView::refresh);
    connect(&model, &PanelModelLink::quickAccessChanged, this, &ClipboardPanelView::refresh);
    refresh();
}

void ClipboardPanelView::buildSettings()
{
    auto *group = new QButtonGroup(this);
    const auto modes = allCases<ClipboardPresentationMode>();
    for (ClipboardPresentationMode mode : modes) {
        auto *button = new QRadioButton(modeTitle(mode), this);
        button->setObjectName(modeButtonName(mode));
        button->setChecked(mode == m_controller.presentationMode());
        group->addButton(button);
        layout()->addWidget(button);
        connect(button, &QRadioButton::toggled, this, [this, mode](bool checked) {
            if (checked)
                m_controller.setPresentationMode(mode);
        });
    }
    connect(&m_controller, &NotchPanelController::presentationModeChanged, this, [this, group](ClipboardPresentationMode mode) {
        for (QAbstractButton *button : group->buttons())
            button->setChecked(button->objectName() == modeButtonName(mode));
        refresh();
    });
    connect(&m_controller, &NotchPanelController::trayAvailabilityChanged, this, &ClipboardPanelView::refresh);
}

QString ClipboardPanelView::statusText() const
{
    if (m_isStandaloneSettings) {
        QString text = L10n::text(QStringLiteral("Nastavenia ešte nie sú hotové: zatiaľ sa tu dá zvoliť len spôsob zobrazenia."));
        // The menu-bar mode without a tray host keeps the panel on screen; the user is told why.
        if (m_controller.isPanelStandingInForTray())
            text += u'\n' + L10n::text(QStringLiteral("Systémová lišta nie je dostupná, preto Tarnel aj v tomto režime zostáva pri hornom okraji obrazovky."));
        return text;
    }
    if (m_model.isQuickAccessPresented())
        return withNumber(L10n::text(QStringLiteral("Rýchly prístup ešte nie je hotový. Položky: %d")),
                          m_model.quickAccessItemCount());
    if (!m_controller.isContentExpanded())
        return QString();
    return withNumber(L10n::text(QStringLiteral("Zoznamy panela ešte nie sú hotové. Záznamy v histórii: %d")),
                      m_model.entryCount());
}

void ClipboardPanelView::refresh()
{
    m_status->setText(statusText());
    QPalette palette = m_status->palette();
    palette.setColor(QPalette::WindowText, m_isStandaloneSettings ? palette.color(QPalette::WindowText)
                                                                  : textColor(m_model.appearance()));
    m_status->setPalette(palette);
    update();
}

void ClipboardPanelView::paintEvent(QPaintEvent *event)
{
    if (m_isStandaloneSettings) {
        QWidget::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_controller.isAtCursor() || m_model.isQuickAccessPresented()) {
        painter.fillRect(rect(), notchColor(m_model.appearance()));
        return;
    }
    const QSizeF size = m_controller.drawnNotchSize();
    const QRectF notch((width() - size.width()) / 2.0, 0, size.width(), size.height());
    painter.fillPath(TarnelNotchShape().path(notch), notchColor(m_model.appearance()));
}
