#include "ui/panel/EditorSheet.h"

#include "core/L10n.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelStyle.h"
#include "ui/tools/ToolText.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>

EditorSheet::EditorSheet(QWidget *parent) : QWidget(parent) {}

void EditorSheet::retranslate()
{
    m_texts.apply();
    refresh();
}

QHBoxLayout *EditorSheet::labelWithCount(SheetTranslations::Text label, qreal labelSize, qreal countSize,
                                         ToolText *&count)
{
    auto *row = new QHBoxLayout;
    auto *title = new ToolText(QString(), labelSize, QFont::DemiBold, ToolText::Role::Primary, this);
    m_texts.label(title, std::move(label));
    row->addWidget(title);
    row->addStretch();
    count = new ToolText(QString(), countSize, QFont::Medium, ToolText::Role::Muted, this);
    count->setObjectName(QStringLiteral("count"));
    row->addWidget(count);
    return row;
}

PanelButton *EditorSheet::headerCloseButton(int height, int padding, qreal symbolSize)
{
    auto *button = new PanelButton(QString(), false, height, padding, this);
    button->setObjectName(QStringLiteral("headerClose"));
    button->setSymbol(QStringLiteral("xmark"), symbolSize);
    m_texts.help(button, [] { return L10n::text(QStringLiteral("Zavrieť")); });
    return button;
}

void EditorSheet::paintEvent(QPaintEvent *)
{
    // The sheet opens over the panel and shares its background: its outline marks where it ends.
    QPainter painter(this);
    PanelStyle::fillBackground(painter, QRectF(rect()), PanelStyle::schemeOf(this));
    painter.setPen(PanelStyle::colors(this).border);
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

void EditorSheet::keyPressEvent(QKeyEvent *event)
{
    // Keys reach the sheet when the focused control leaves them.
    switch (SheetKeys::actionFor(*event)) {
    case SheetKeys::Action::Cancel:
        cancelKey();
        return;
    case SheetKeys::Action::Save:
        if (saveKey())
            return;
        break;
    case SheetKeys::Action::Default:
        defaultKey();
        return;
    case SheetKeys::Action::ForcedDefault:
        if (forcedDefaultKey())
            return;
        break;
    case SheetKeys::Action::None:
        break;
    }
    QWidget::keyPressEvent(event);
}
