#include "ui/tools/ScreenshotActionButtons.h"

#include "core/L10n.h"
#include "ui/style/PanelButton.h"

#include <QHBoxLayout>

ScreenshotActionButtons::ScreenshotActionButtons(QWidget *parent)
    : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kSpacing);
    const struct {
        const char *name;
        QString title;
        QString symbol;
        void (ScreenshotActionButtons::*request)();
    } buttons[] = {
        {"edit", L10n::text(QStringLiteral("Upraviť obrázok")), QStringLiteral("slider.horizontal.3"), &ScreenshotActionButtons::editRequested},
        {"text", L10n::text(QStringLiteral("Získať text")), QStringLiteral("text.viewfinder"), &ScreenshotActionButtons::textRequested},
    };
    for (const auto &b : buttons) {
        auto *button = new PanelButton(b.title, false, kHeight, kHorizontalPadding, this);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setSymbol(b.symbol);
        // Equal halves whatever the labels' lengths.
        button->setMinimumWidth(1);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        connect(button, &QAbstractButton::clicked, this, b.request);
        row->addWidget(button, 1);
    }
}
