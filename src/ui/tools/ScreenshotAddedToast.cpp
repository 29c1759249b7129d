#include "ui/tools/ScreenshotAddedToast.h"

#include "core/L10n.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ScreenshotAddedToast::ScreenshotAddedToast(ClipboardEntry entry, ClipboardAppearance appearance,
                                           std::function<void()> onEdit, std::function<void()> onText,
                                           QWidget *parent)
    : QWidget(parent)
    , m_entry(std::move(entry))
{
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, appearance == ClipboardAppearance::Light ? QColor(242, 242, 245) : QColor(12, 12, 14));
    palette.setColor(QPalette::WindowText, appearance == ClipboardAppearance::Light ? Qt::black : Qt::white);
    setPalette(palette);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(L10n::text(QStringLiteral("Screenshot pridaný")), this));
    auto *where = new QLabel(L10n::text(QStringLiteral("Nájdeš ho v sekcii Snímky obrazovky.")), this);
    where->setWordWrap(true);
    layout->addWidget(where);
    auto *buttons = new QHBoxLayout;
    auto *edit = new QPushButton(L10n::text(QStringLiteral("Upraviť obrázok")), this);
    edit->setObjectName(QStringLiteral("edit"));
    auto *text = new QPushButton(L10n::text(QStringLiteral("Získať text")), this);
    text->setObjectName(QStringLiteral("text"));
    connect(edit, &QPushButton::clicked, this, [onEdit] { if (onEdit) onEdit(); });
    connect(text, &QPushButton::clicked, this, [onText] { if (onText) onText(); });
    buttons->addWidget(edit);
    buttons->addWidget(text);
    layout->addLayout(buttons);
}
