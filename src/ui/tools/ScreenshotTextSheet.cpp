#include "ui/tools/ScreenshotTextSheet.h"

#include "core/L10n.h"
#include "engine/ClipboardModel.h"
#include "ui/panel/EntryOverflowButton.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"
#include "ui/tools/ScreenshotNoticeThumbnail.h"
#include "ui/tools/ScreenshotReader.h"
#include "ui/tools/ToolChoiceButton.h"
#include "ui/tools/ToolText.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

constexpr qreal kSheetRadius = ScreenshotTextSheet::kRadius;
constexpr QMargins kSheetPadding{16, 12, 16, 16};
constexpr int kSpacing = 12;
constexpr int kHeaderSpacing = 10;
constexpr QSize kThumbnailSize{58, 38};
constexpr int kSwitchPadding = 3;
constexpr qreal kSwitchRadius = 10;
constexpr int kModeButtonHeight = 27;
constexpr int kModeButtonPadding = 10;
constexpr qreal kModeButtonRadius = 7;
constexpr qreal kModeFontSize = 10;
constexpr qreal kResultRadius = 12;
constexpr qreal kEditorFontSize = 13;
constexpr int kEditorPadding = 10;
constexpr qreal kMessageFontSize = 11;
constexpr qreal kEmptySymbolSize = 24;
constexpr int kEmptyPadding = 20;
constexpr int kFooterSpacing = 6;
constexpr int kFooterButtonHeight = 30;
constexpr int kFooterButtonPadding = 10;
constexpr qreal kFeedbackFontSize = 9;

enum ResultPage { Reading, Empty, Editor };

QString qrTitle(const QStringList &codes)
{
    if (codes.isEmpty())
        return QStringLiteral("QR");
    return QStringLiteral("QR · ") + QString::number(codes.size());
}

int modeButtonWidth(const QString &title, bool withSymbol)
{
    const QFont font = PanelStyle::font(kModeFontSize, QFont::DemiBold);
    const int symbol = withSymbol ? int(std::ceil(PanelIcons::side(kModeFontSize))) + 4 : 0;
    return 2 * kModeButtonPadding + symbol + PanelText::width(font, title);
}

// A mode or code choice: symbol and title, accent on the hover surface when chosen.
void paintChoice(QPainter &painter, const QRectF &rect, bool selected, const QString &symbol, const QString &title,
                 const PanelStyle::Colors &colors)
{
    if (selected)
        PanelStyle::fillRounded(painter, rect, kModeButtonRadius, colors.hoverSurface);
    const QColor ink = selected ? colors.accent : colors.secondary;
    const QFont font = PanelStyle::font(kModeFontSize, QFont::DemiBold);
    qreal x = rect.left() + kModeButtonPadding;
    if (!symbol.isEmpty()) {
        const qreal side = PanelIcons::side(kModeFontSize);
        PanelIcons::paint(painter, QRectF(x, rect.center().y() - side / 2, side, side), symbol, kModeFontSize, ink);
        x += side + 4;
    }
    painter.setPen(ink);
    PanelText::drawFixed(painter, QRectF(x, rect.top(), rect.right() - kModeButtonPadding - x, rect.height()), font, title);
}

} // namespace

ScreenshotTextSheet::ScreenshotTextSheet(ClipboardEntry entry, ClipboardAppearance appearance,
                                         ClipboardModel *model,
                                         TextRecognizer *recognizer, QrDetector *detector, QWidget *parent)
    : QWidget(parent)
    , m_entry(std::move(entry))
    , m_model(model)
    , m_state(ClipboardEntry::newID())
{
    setFixedSize(kSize);
    setAttribute(Qt::WA_TranslucentBackground);
    PanelStyle::applyScheme(this, PanelStyle::schemeFor(appearance));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kSheetPadding);
    layout->setSpacing(kSpacing);
    layout->addWidget(buildHeader());
    m_picker = new QWidget(this);
    m_picker->setAccessibleName(L10n::text(QStringLiteral("QR kód")));
    m_pickerLayout = new QHBoxLayout(m_picker);
    m_pickerLayout->setContentsMargins(kSwitchPadding, kSwitchPadding, kSwitchPadding, kSwitchPadding);
    m_pickerLayout->setSpacing(kSwitchPadding);
    layout->addWidget(m_picker);
    layout->addWidget(buildResultArea(), 1);
    layout->addWidget(buildFooter());

    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &ScreenshotTextSheet::closeRequested);
    if (m_model) {
        connect(m_model, &ClipboardModel::entriesChanged, this, &ScreenshotTextSheet::refreshFooter, Qt::QueuedConnection);
        connect(m_model, &ClipboardModel::pasteStackEntryIDsChanged, this, &ScreenshotTextSheet::refreshFooter,
                Qt::QueuedConnection);
    }

    m_reader = new ScreenshotReader(recognizer, detector, this);
    connect(m_reader, &ScreenshotReader::finished, this, &ScreenshotTextSheet::readingFinished);
    m_reader->start(m_entry, m_model ? std::optional(m_model->imageBytes()) : std::nullopt);
    refresh();
}

QWidget *ScreenshotTextSheet::buildHeader()
{
    auto *header = new QWidget(this);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kHeaderSpacing);
    auto *thumbnail = new ScreenshotNoticeThumbnail(m_entry, true, header);
    thumbnail->setFixedSize(kThumbnailSize);
    row->addWidget(thumbnail);

    m_modeSwitch = new QWidget(header);
    auto *modes = new QHBoxLayout(m_modeSwitch);
    modes->setContentsMargins(kSwitchPadding, kSwitchPadding, kSwitchPadding, kSwitchPadding);
    modes->setSpacing(kSwitchPadding);
    const QString textTitle = L10n::text(QStringLiteral("Text"));
    m_textMode = new ToolChoiceButton(textTitle, QSize(modeButtonWidth(textTitle, true), kModeButtonHeight),
                                      [textTitle](QPainter &painter, const QRectF &rect, bool selected,
                                                  const PanelStyle::Colors &colors) {
                                          paintChoice(painter, rect, selected, QStringLiteral("text.viewfinder"),
                                                      textTitle, colors);
                                      }, m_modeSwitch);
    m_qrMode = new ToolChoiceButton(QStringLiteral("QR"), QSize(modeButtonWidth(QStringLiteral("QR"), true), kModeButtonHeight),
                                    [this](QPainter &painter, const QRectF &rect, bool selected,
                                           const PanelStyle::Colors &colors) {
                                        paintChoice(painter, rect, selected, QStringLiteral("qrcode"),
                                                    qrTitle(m_state.qrCodes()), colors);
                                    }, m_modeSwitch);
    m_textMode->setObjectName(QStringLiteral("textMode"));
    m_qrMode->setObjectName(QStringLiteral("qrMode"));
    connect(m_textMode, &QAbstractButton::clicked, this, [this] { showMode(false); });
    connect(m_qrMode, &QAbstractButton::clicked, this, [this] { showMode(true); });
    modes->addWidget(m_textMode);
    modes->addWidget(m_qrMode);
    row->addWidget(m_modeSwitch);
    row->addStretch();

    const QString closeName = L10n::text(QStringLiteral("Zavrieť"));
    auto *close = new EntryOverflowButton(QStringLiteral("xmark"), header);
    close->setAccessibleName(closeName);
    close->setObjectName(QStringLiteral("close"));
    close->setToolTip(closeName);
    connect(close, &QAbstractButton::clicked, this, &ScreenshotTextSheet::closeRequested);
    row->addWidget(close);
    return header;
}

QWidget *ScreenshotTextSheet::buildResultArea()
{
    m_result = new QStackedWidget(this);

    auto *reading = new QWidget(m_result);
    auto *readingLayout = new QVBoxLayout(reading);
    readingLayout->addStretch();
    auto *spinner = new QProgressBar(reading);
    spinner->setRange(0, 0);
    spinner->setTextVisible(false);
    spinner->setFixedSize(120, 4);
    readingLayout->addWidget(spinner, 0, Qt::AlignHCenter);
    auto *readingLabel = new ToolText(L10n::text(QStringLiteral("Čítam obrázok…")), kMessageFontSize, QFont::Normal,
                                      ToolText::Role::Primary, reading);
    readingLayout->addWidget(readingLabel, 0, Qt::AlignHCenter);
    readingLayout->addStretch();
    m_result->insertWidget(Reading, reading);

    auto *empty = new QWidget(m_result);
    auto *emptyLayout = new QVBoxLayout(empty);
    emptyLayout->setContentsMargins(kEmptyPadding, kEmptyPadding, kEmptyPadding, kEmptyPadding);
    emptyLayout->setSpacing(10);
    emptyLayout->addStretch();
    m_emptySymbol = ToolText::symbol(QStringLiteral("text.viewfinder"), kEmptySymbolSize, ToolText::Role::Secondary, empty);
    m_emptyMessage = new ToolText(QString(), kMessageFontSize, QFont::Normal, ToolText::Role::Secondary, empty);
    m_emptyMessage->setObjectName(QStringLiteral("emptyResult"));
    m_emptyMessage->setAlignment(Qt::AlignCenter);
    m_emptyMessage->setWordWrap(true);
    emptyLayout->addWidget(m_emptySymbol, 0, Qt::AlignHCenter);
    emptyLayout->addWidget(m_emptyMessage);
    emptyLayout->addStretch();
    m_result->insertWidget(Empty, empty);

    m_editor = new QPlainTextEdit(m_result);
    m_editor->setObjectName(QStringLiteral("resultText"));
    m_editor->setFrameShape(QFrame::NoFrame);
    m_editor->setFont(PanelStyle::exactFont(kEditorFontSize));
    m_editor->document()->setDocumentMargin(kEditorPadding);
    QPalette clear = m_editor->palette();
    clear.setColor(QPalette::Base, Qt::transparent);
    m_editor->setPalette(clear);
    m_editor->viewport()->setAutoFillBackground(false);
    connect(m_editor, &QPlainTextEdit::textChanged, this, &ScreenshotTextSheet::textEdited);
    m_result->insertWidget(Editor, m_editor);
    return m_result;
}

QWidget *ScreenshotTextSheet::buildFooter()
{
    auto *footer = new QWidget(this);
    auto *row = new QHBoxLayout(footer);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kFooterSpacing);

    m_saveButton = new PanelButton(L10n::text(QStringLiteral("Uložiť do…")), false, kFooterButtonHeight,
                                   kFooterButtonPadding, footer);
    m_saveButton->setObjectName(QStringLiteral("saveMenu"));
    m_saveButton->setSymbol(QStringLiteral("tray.and.arrow.down"));
    m_saveMenu = new QMenu(m_saveButton);
    connect(m_saveMenu, &QMenu::aboutToShow, this, &ScreenshotTextSheet::rebuildSaveMenu);
    connect(m_saveButton, &QAbstractButton::clicked, this, [this] {
        m_saveMenu->popup(m_saveButton->mapToGlobal(QPoint(0, m_saveButton->height())));
    });
    row->addWidget(m_saveButton);

    m_feedback = new ToolText(QString(), kFeedbackFontSize, QFont::Normal, ToolText::Role::Accent, footer);
    m_feedback->setObjectName(QStringLiteral("feedback"));
    row->addWidget(m_feedback);
    row->addStretch();

    m_copyButton = new PanelButton(L10n::text(QStringLiteral("Kopírovať")), true, kFooterButtonHeight,
                                   kFooterButtonPadding, footer);
    m_copyButton->setObjectName(QStringLiteral("copy"));
    m_copyButton->setSymbol(QStringLiteral("doc.on.doc"));
    connect(m_copyButton, &QAbstractButton::clicked, this, &ScreenshotTextSheet::copy);
    row->addWidget(m_copyButton);
    return footer;
}

void ScreenshotTextSheet::readingFinished(const ScreenshotReading &reading)
{
    m_state.applyReading(reading);
    qDeleteAll(m_codeButtons);
    m_codeButtons.clear();
    for (int index = 0; index < m_state.qrCodes().size(); ++index) {
        const QString title = QStringLiteral("QR ") + QString::number(index + 1);
        auto *button = new ToolChoiceButton(title, QSize(modeButtonWidth(title, false), kModeButtonHeight),
                                            [title](QPainter &painter, const QRectF &rect, bool selected,
                                                    const PanelStyle::Colors &colors) {
                                                paintChoice(painter, rect, selected, QString(), title, colors);
                                            }, m_picker);
        button->setStretchesHorizontally();
        connect(button, &QAbstractButton::clicked, this, [this, index] { showCode(index); });
        m_pickerLayout->addWidget(button);
        m_codeButtons << button;
    }
    refresh();
}

void ScreenshotTextSheet::showMode(bool qr)
{
    m_state.setShowsQR(qr);
    refresh();
}

void ScreenshotTextSheet::showCode(int index)
{
    m_state.setSelectedQR(index);
    refresh();
}

void ScreenshotTextSheet::textEdited()
{
    m_state.setText(m_editor->toPlainText());
    refreshFooter();
}

void ScreenshotTextSheet::save(OCRTextDestination destination)
{
    if (!m_state.hasText())
        return;
    const bool stored = m_model && m_model->saveScreenshotText(m_state.text(), m_state.resultID(), destination);
    m_state.saveAnswered(destination, stored);
    refreshFooter();
}

void ScreenshotTextSheet::copy()
{
    if (!m_state.hasText() || !m_model)
        return;
    m_model->copyScreenshotText(m_state.text());
    m_state.copied();
    refreshFooter();
}

void ScreenshotTextSheet::rebuildSaveMenu()
{
    m_saveMenu->clear();
    PanelStyle::styleMenu(m_saveMenu, PanelStyle::schemeOf(this));
    const QList<ClipboardEntry> entries = m_model ? m_model->entries() : QList<ClipboardEntry>();
    const QStringList stack = m_model ? m_model->pasteStackEntryIDs() : QStringList();
    const PanelStyle::Colors &colors = PanelStyle::colors(m_saveMenu);
    for (const ScreenshotTextState::SaveItem &item : m_state.saveItems(entries, stack)) {
        const QString symbol = item.destination == OCRTextDestination::History ? QStringLiteral("clock.arrow.circlepath")
            : item.destination == OCRTextDestination::PasteStack               ? QStringLiteral("square.stack.3d.up")
                                                                               : QStringLiteral("pin");
        QAction *action = m_saveMenu->addAction(PanelIcons::icon(symbol, colors.primary), item.title);
        action->setEnabled(item.enabled);
        const OCRTextDestination destination = item.destination;
        connect(action, &QAction::triggered, this, [this, destination] { save(destination); });
    }
}

void ScreenshotTextSheet::refresh()
{
    m_textMode->setSelected(!m_state.showsQR());
    m_qrMode->setSelected(m_state.showsQR());
    m_qrMode->setFixedWidth(modeButtonWidth(qrTitle(m_state.qrCodes()), true));
    m_picker->setVisible(m_state.showsQR() && m_state.qrCodes().size() >= 2);
    for (qsizetype i = 0; i < m_codeButtons.size(); ++i)
        m_codeButtons[i]->setSelected(i == m_state.selectedQR());

    std::optional<QString> empty;
    if (m_state.isRecognizing())
        m_result->setCurrentIndex(Reading);
    else if (m_state.errorMessage())
        empty = *m_state.errorMessage();
    else if (m_state.showsQR() && m_state.qrCodes().isEmpty())
        empty = L10n::text(QStringLiteral("V obrázku sa nenašiel QR kód."));
    else if (!m_state.showsQR() && m_state.ocrText().isEmpty())
        empty = L10n::text(QStringLiteral("V obrázku sa nenašiel text."));
    if (empty) {
        const QString symbol = m_state.showsQR() ? QStringLiteral("qrcode") : QStringLiteral("text.viewfinder");
        m_emptySymbol->setSymbol(symbol);
        m_emptyMessage->setText(*empty);
        m_result->setCurrentIndex(Empty);
    } else if (!m_state.isRecognizing()) {
        if (m_editor->toPlainText() != m_state.text()) {
            const QSignalBlocker quiet(m_editor);
            m_editor->setPlainText(m_state.text());
        }
        m_editor->setAccessibleName(m_state.showsQR() ? L10n::text(QStringLiteral("Obsah QR kódu"))
                                                      : L10n::text(QStringLiteral("Rozpoznaný text")));
        m_result->setCurrentIndex(Editor);
    }
    refreshFooter();
    update();
}

void ScreenshotTextSheet::refreshFooter()
{
    m_saveButton->setEnabled(m_state.hasText());
    m_copyButton->setEnabled(m_state.hasText());
    m_feedback->setText(m_state.feedback());
    m_feedback->setRole(m_state.feedbackIsFailure() ? ToolText::Role::Error : ToolText::Role::Accent);
}

void ScreenshotTextSheet::paintEvent(QPaintEvent *)
{
    const PanelStyle::Colors &colors = PanelStyle::colors(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), kSheetRadius, kSheetRadius);
    painter.setClipPath(shape);
    PanelStyle::fillBackground(painter, QRectF(rect()), PanelStyle::schemeOf(this));
    const auto surface = [&](QWidget *widget, qreal radius, const QColor &color) {
        if (widget->isVisible())
            PanelStyle::fillRounded(painter, QRectF(widget->geometry().translated(widget->parentWidget()->mapTo(this, QPoint()))),
                                    radius, color);
    };
    surface(m_modeSwitch, kSwitchRadius, colors.controlSurface);
    surface(m_picker, kSwitchRadius, colors.controlSurface);
    surface(m_result, kResultRadius, colors.surface);
}
