#include "ui/panel/SheetColumn.h"
#include "ui/tools/ImageCanvasComposerSheet.h"

#include "core/L10n.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelClock.h"
#include "ui/style/PanelEmptyState.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/tools/ImageCanvasControls.h"
#include "ui/tools/ImageCanvasPreview.h"
#include "ui/tools/ToolText.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QSaveFile>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QStandardPaths>
#include <QtConcurrent>

namespace {

// Where a composed picture is saved unless the user goes elsewhere: the desktop's pictures
// folder, or home where that folder is missing.
QString saveFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return pictures;
    return QDir::homePath();
}

constexpr int kPadding = 22;
constexpr int kSpacing = 15;
constexpr int kHeaderSpacing = 11;
constexpr QSize kIconTileSize{36, 36};
constexpr qreal kIconTileRadius = 11;
constexpr qreal kIconTileTint = 0.12;
constexpr qreal kTitleSize = 15;
constexpr qreal kSubtitleSize = 10;
constexpr int kWorkSpacing = 14;
constexpr int kCardPadding = 13;
constexpr int kCardSpacing = 9;
constexpr qreal kCardRadius = 14;
constexpr qreal kCardTitleSize = 11;
constexpr qreal kSizeLabelSize = 10;
constexpr int kFooterSpacing = 8;
constexpr int kButtonHeight = 32;
constexpr int kButtonPadding = 12;
constexpr qreal kCloseSymbolSize = 10;


// Renders and writes atomically, on a worker thread. What went wrong, if anything: the system's
// description of a failed write, or an empty text when the canvas could not be rendered (the
// interface text for that is chosen on the main thread, where the language is read).
std::optional<QString> exportCanvas(const QImage &image, const ImageCanvasSettings &settings, const QString &path)
{
    const std::optional<QByteArray> png = ImageCanvasRenderer::renderPNG(image, settings);
    if (!png)
        return QString();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*png) != png->size() || !file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace

ImageCanvasComposerSheet::ImageCanvasComposerSheet(ClipboardEntry entry, QImage image, ClipboardAppearance appearance,
                                                   QWidget *parent)
    : QWidget(parent)
    , m_entry(std::move(entry))
{
    build(appearance);
    showImage(std::move(image));
}

ImageCanvasComposerSheet::ImageCanvasComposerSheet(ClipboardEntry entry, QFuture<QImage> image,
                                                   ClipboardAppearance appearance, QWidget *parent)
    : QWidget(parent)
    , m_entry(std::move(entry))
{
    m_isLoading = true;
    build(appearance);
    // The watcher dies with the sheet: a sheet closed before the decode ends takes nothing.
    connect(&m_loading, &QFutureWatcher<QImage>::finished, this, [this] {
        showImage(m_loading.future().resultCount() > 0 ? m_loading.result() : QImage());
    });
    m_loading.setFuture(std::move(image));
}

void ImageCanvasComposerSheet::build(ClipboardAppearance appearance)
{
    QVBoxLayout *layout = sheetColumn(this, appearance, kSize, kPadding, kSpacing);
    layout->addWidget(buildHeader());
    layout->addWidget(buildWorkArea(), 1);
    layout->addWidget(buildFooter());
    connect(&m_export, &QFutureWatcher<std::optional<QString>>::finished, this, &ImageCanvasComposerSheet::exported);
    refresh();
}

void ImageCanvasComposerSheet::showImage(QImage image)
{
    m_isLoading = false;
    m_image = std::move(image);
    if (hasImage()) {
        m_preview = new ImageCanvasPreview(m_image, m_previewStage);
        m_preview->setSettings(m_settings);
        m_previewStage->layout()->addWidget(m_preview);
    } else {
        m_unavailable->show();
    }
    refresh();
}

QWidget *ImageCanvasComposerSheet::buildHeader()
{
    auto *header = new QWidget(this);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kHeaderSpacing);
    m_iconTile = new QWidget(header);
    m_iconTile->setFixedSize(kIconTileSize);
    row->addWidget(m_iconTile);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(new ToolText(L10n::text(QStringLiteral("Upraviť obrázok")), kTitleSize, QFont::DemiBold,
                                  ToolText::Role::Primary, header));
    m_subtitle = new ToolText(QString(), kSubtitleSize, QFont::Normal, ToolText::Role::Secondary, header);
    texts->addWidget(m_subtitle);
    row->addLayout(texts);
    row->addStretch();
    auto *close = new PanelButton(QString(), false, kButtonHeight, kButtonPadding, header);
    close->setObjectName(QStringLiteral("headerClose"));
    close->setSymbol(QStringLiteral("xmark"), kCloseSymbolSize);
    close->setToolTip(L10n::text(QStringLiteral("Zavrieť")));
    close->setAccessibleName(L10n::text(QStringLiteral("Zavrieť")));
    connect(close, &QAbstractButton::clicked, this, &ImageCanvasComposerSheet::closeRequested);
    row->addWidget(close);
    return header;
}

QWidget *ImageCanvasComposerSheet::buildWorkArea()
{
    auto *area = new QWidget(this);
    auto *row = new QHBoxLayout(area);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kWorkSpacing);

    m_previewCard = new QWidget(area);
    auto *card = new QVBoxLayout(m_previewCard);
    card->setContentsMargins(kCardPadding, kCardPadding, kCardPadding, kCardPadding);
    card->setSpacing(kCardSpacing);
    auto *title = new QHBoxLayout;
    title->setSpacing(5);
    title->addWidget(ToolText::symbol(QStringLiteral("photo"), kCardTitleSize, ToolText::Role::Primary, m_previewCard));
    title->addWidget(new ToolText(L10n::text(QStringLiteral("Náhľad")), kCardTitleSize, QFont::DemiBold,
                                  ToolText::Role::Primary, m_previewCard));
    title->addStretch();
    m_sizeLabel = new ToolText(QString(), kSizeLabelSize, QFont::Medium, ToolText::Role::Secondary, m_previewCard);
    m_sizeLabel->setObjectName(QStringLiteral("exportSize"));
    title->addWidget(m_sizeLabel);
    card->addLayout(title);
    // Holds the room of the image until it is there, then its preview or the word that it is not.
    m_previewStage = new QWidget(m_previewCard);
    auto *stage = new QVBoxLayout(m_previewStage);
    stage->setContentsMargins(0, 0, 0, 0);
    m_unavailable = new PanelEmptyState(QStringLiteral("photo"), L10n::text(QStringLiteral("Obrázok sa nedá zobraziť")),
                                        L10n::text(QStringLiteral("Skús ho skopírovať znova.")), m_previewStage);
    m_unavailable->hide();
    stage->addWidget(m_unavailable);
    card->addWidget(m_previewStage, 1);
    row->addWidget(m_previewCard, 1);

    m_controls = new ImageCanvasControls(area);
    connect(m_controls, &ImageCanvasControls::settingsChanged, this, &ImageCanvasComposerSheet::setSettings);
    auto *scroll = new QScrollArea(area);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFixedWidth(ImageCanvasControls::kWidth);
    scroll->setWidgetResizable(true);
    scroll->setWidget(m_controls);
    scroll->viewport()->setAutoFillBackground(false);
    m_controls->setAutoFillBackground(false);
    row->addWidget(scroll);
    return area;
}

QWidget *ImageCanvasComposerSheet::buildFooter()
{
    auto *footer = new QWidget(this);
    auto *row = new QHBoxLayout(footer);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kFooterSpacing);
    m_errorLabel = new ToolText(QString(), kSubtitleSize, QFont::Normal, ToolText::Role::Error, footer);
    m_errorLabel->setObjectName(QStringLiteral("exportError"));
    row->addWidget(m_errorLabel);
    row->addStretch();
    auto *close = new PanelButton(L10n::text(QStringLiteral("Zavrieť")), false, kButtonHeight, kButtonPadding, footer);
    close->setObjectName(QStringLiteral("close"));
    close->setSymbol(QStringLiteral("xmark"));
    connect(close, &QAbstractButton::clicked, this, &ImageCanvasComposerSheet::closeRequested);
    row->addWidget(close);
    m_saveButton = new PanelButton(L10n::text(QStringLiteral("Uložiť obrázok")), true, kButtonHeight, kButtonPadding, footer);
    m_saveButton->setObjectName(QStringLiteral("save"));
    m_saveButton->setSymbol(QStringLiteral("square.and.arrow.down"));
    connect(m_saveButton, &QAbstractButton::clicked, this, &ImageCanvasComposerSheet::saveCanvas);
    row->addWidget(m_saveButton);
    return footer;
}

QMessageBox *ImageCanvasComposerSheet::exportAlert() const
{
    return m_alert;
}

void ImageCanvasComposerSheet::setSettings(const ImageCanvasSettings &settings)
{
    m_settings = settings;
    refresh();
}

void ImageCanvasComposerSheet::saveCanvas()
{
    if (!hasImage() || m_isSavePanelPresented)
        return;
    m_isSavePanelPresented = true;
    refresh();
    QPointer<ImageCanvasComposerSheet> self(this);
    auto onChosen = [self](std::optional<QString> path) {
        if (self)
            self->chosen(path);
    };
    const QString proposed = ImageCanvas::proposedFileName(m_settings.aspect);
    if (m_savePanel)
        m_savePanel(proposed, std::move(onChosen));
    else
        showSaveDialog(proposed, std::move(onChosen));
}

void ImageCanvasComposerSheet::showSaveDialog(const QString &proposedName,
                                              std::function<void(std::optional<QString>)> onChosen)
{
    auto *dialog = new QFileDialog(window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(QStringLiteral("PNG (*.png)"));
    dialog->setDefaultSuffix(QStringLiteral("png"));
    // Never the folder the program happened to be started from.
    dialog->setDirectory(saveFolder());
    dialog->selectFile(proposedName);
    dialog->setLabelText(QFileDialog::Accept, L10n::text(QStringLiteral("Uložiť")));
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint);
    // Qt's own dialog, never the desktop's: a sheet over the panel stands beside the window
    // manager, and only a window of this program can be opened beside it too, in front of it.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    connect(dialog, &QFileDialog::finished, dialog, [dialog, onChosen](int result) {
        const QStringList files = dialog->selectedFiles();
        onChosen(result == QDialog::Accepted && !files.isEmpty() ? std::optional<QString>(files.first()) : std::nullopt);
    });
    // Free-standing: the composer's controls keep working while it is open.
    dialog->setWindowModality(Qt::NonModal);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void ImageCanvasComposerSheet::chosen(const std::optional<QString> &path)
{
    m_isSavePanelPresented = false;
    if (path && !isExporting()) {
        // The canvas as it is now, with what changed while the panel was open.
        m_export.setFuture(QtConcurrent::run(exportCanvas, m_image, m_settings, *path));
    }
    refresh();
}

void ImageCanvasComposerSheet::exported()
{
    std::optional<QString> error = m_export.future().resultCount() > 0 ? m_export.result() : QString();
    if (error && error->isEmpty())
        error = L10n::text(QStringLiteral("Obrázok sa nepodarilo pripraviť na uloženie."));
    if (error) {
        m_exportError = error;
        if (m_alert)
            m_alert->close();
        // The title leads the alert's own text: a window manager cuts a long window title
        // down to the width of the small alert.
        m_alert = new QMessageBox(QMessageBox::Warning, QStringLiteral("Tarnel"),
                                  L10n::text(QStringLiteral("Nepodarilo sa uložiť obrázok")), QMessageBox::NoButton, this);
        m_alert->setInformativeText(*error);
        m_alert->setAttribute(Qt::WA_DeleteOnClose);
        m_alert->addButton(L10n::text(QStringLiteral("Zavrieť")), QMessageBox::RejectRole);
        // However the alert goes away, the error goes with it.
        connect(m_alert, &QMessageBox::finished, this, [this] {
            m_exportError.reset();
            refresh();
        });
        m_alert->open();
    }
    refresh();
    Q_EMIT exportFinished();
}

void ImageCanvasComposerSheet::refresh()
{
    const QString raw = rawValue(m_settings.aspect);
    m_subtitle->setText(m_entry.sourceAppLabel() + QStringLiteral(" · ") + m_entry.copiedAtLabel(PanelClock::now())
                        + QStringLiteral(" · ") + raw);
    const QSize pixels = ImageCanvas::exportSize(m_settings.aspect);
    m_sizeLabel->setText(QString::number(pixels.width()) + QStringLiteral(" × ") + QString::number(pixels.height())
                         + QStringLiteral(" px"));
    if (m_preview)
        m_preview->setSettings(m_settings);
    if (m_controls->settings() != m_settings)
        m_controls->setSettings(m_settings);
    m_errorLabel->setText(m_exportError.value_or(QString()));
    m_errorLabel->setVisible(m_exportError.has_value());
    m_saveButton->setEnabled(hasImage() && !m_isSavePanelPresented && !isExporting());
}

void ImageCanvasComposerSheet::paintEvent(QPaintEvent *)
{
    const PanelStyle::Colors &colors = PanelStyle::colors(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    PanelStyle::fillBackground(painter, QRectF(rect()), PanelStyle::schemeOf(this));
    const QRectF tile(m_iconTile->mapTo(this, QPoint()), m_iconTile->size());
    PanelStyle::fillRounded(painter, tile, kIconTileRadius, PanelStyle::withOpacity(colors.accent, kIconTileTint));
    PanelIcons::paint(painter, tile, QStringLiteral("wand.and.stars"), kTitleSize, colors.accent);
    PanelStyle::fillRounded(painter, QRectF(m_previewCard->mapTo(this, QPoint()), m_previewCard->size()), kCardRadius,
                            colors.surface);
}
