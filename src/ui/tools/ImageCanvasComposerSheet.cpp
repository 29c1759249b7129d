#include "ui/tools/ImageCanvasComposerSheet.h"

#include "core/L10n.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

ImageCanvasComposerSheet::ImageCanvasComposerSheet(ClipboardEntry entry, QImage image, ClipboardAppearance,
                                                   std::function<void()> onClose, QWidget *parent)
    : QWidget(parent)
    , m_entry(std::move(entry))
    , m_image(std::move(image))
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(L10n::text(QStringLiteral("Skladanie obrázka na pozadie ešte nie je hotové.")), this));
    auto *preview = new QLabel(this);
    if (m_image.isNull())
        preview->setText(L10n::text(QStringLiteral("Obrázok sa nepodarilo načítať.")));
    else
        preview->setPixmap(QPixmap::fromImage(m_image.scaled(640, 480, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    layout->addWidget(preview, 1);
    auto *close = new QPushButton(L10n::text(QStringLiteral("Zavrieť")), this);
    close->setObjectName(QStringLiteral("close"));
    connect(close, &QPushButton::clicked, this, [onClose] { if (onClose) onClose(); });
    layout->addWidget(close);
}
