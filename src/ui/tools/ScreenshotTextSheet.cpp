#include "ui/tools/ScreenshotTextSheet.h"

#include "core/L10n.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ScreenshotTextSheet::ScreenshotTextSheet(ClipboardEntry entry, ClipboardAppearance appearance,
                                         std::function<void()> onClose, PanelModelLink &, QWidget *parent)
    : QWidget(parent)
    , m_entry(std::move(entry))
    , m_baseResultID(ClipboardEntry::newID())
{
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, appearance == ClipboardAppearance::Light ? QColor(242, 242, 245) : QColor(28, 28, 32));
    palette.setColor(QPalette::WindowText, appearance == ClipboardAppearance::Light ? Qt::black : Qt::white);
    setPalette(palette);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(L10n::text(QStringLiteral("Čítanie textu a QR kódov zo screenshotu ešte nie je hotové.")), this));
    auto *close = new QPushButton(L10n::text(QStringLiteral("Zavrieť")), this);
    close->setObjectName(QStringLiteral("close"));
    connect(close, &QPushButton::clicked, this, [onClose] { if (onClose) onClose(); });
    layout->addWidget(close);
    layout->addStretch();
}
