#include "ui/panel/DetailsSearchField.h"

#include "core/AppShortcut.h"
#include "core/L10n.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/ShortcutBadge.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>

namespace {

// A symbol in the secondary colour; as a button, it has no look of its own beyond the symbol.
class SymbolButton : public QAbstractButton {
public:
    SymbolButton(const QString &symbol, qreal size, QWidget *parent)
        : QAbstractButton(parent), m_symbol(symbol), m_size(size)
    {
        setFocusPolicy(Qt::NoFocus);
        const int side = int(std::ceil(PanelIcons::side(size)));
        setFixedSize(side, side);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        PanelIcons::paint(painter, rect(), m_symbol, m_size, PanelStyle::colors(this).secondary);
    }

private:
    QString m_symbol;
    qreal m_size;
};

} // namespace

DetailsSearchField::DetailsSearchField(const QString &text, QWidget *parent) : QWidget(parent)
{
    setFixedHeight(kHeight);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(kSidePadding, 0, kSidePadding, 0);
    row->setSpacing(kSpacing);
    auto *magnifier = new SymbolButton(QStringLiteral("magnifyingglass"), kSymbolSize, this);
    magnifier->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("detailsSearch"));
    m_field->setFrame(false);
    m_field->setFont(PanelStyle::font(kFontSize));
    m_field->setAttribute(Qt::WA_MacShowFocusRect, false);
    // No style sheet: one pins the palette the field has when first polished, so typed text
    // would keep the desktop's colours instead of following the panel's appearance. The
    // scheme's palette already gives the field a transparent base.
    m_field->setTextMargins(0, 0, 0, 0);
    m_field->setAutoFillBackground(false);
    m_field->setPlaceholderText(L10n::text(QStringLiteral("Hľadať text, aplikáciu alebo typ…")));
    m_field->installEventFilter(this);
    m_badge = new ShortcutBadge(AppShortcut(AppShortcut::history).label(), this);
    m_clear = new SymbolButton(QStringLiteral("xmark.circle.fill"), kSymbolSize, this);
    m_clear->setObjectName(QStringLiteral("clearSearch"));
    m_clear->setToolTip(L10n::text(QStringLiteral("Vymazať hľadanie")));
    m_clear->setAccessibleName(L10n::text(QStringLiteral("Vymazať hľadanie")));
    row->addWidget(magnifier);
    row->addWidget(m_field, 1);
    row->addWidget(m_badge);
    row->addWidget(m_clear);

    connect(m_field, &QLineEdit::textEdited, this, &DetailsSearchField::searchEdited);
    connect(m_field, &QLineEdit::returnPressed, this, &DetailsSearchField::submitted);
    // Clearing leaves the focus where it was; the field empties once the owner reports it.
    connect(m_clear, &QAbstractButton::clicked, this, [this] { Q_EMIT searchEdited(QString()); });
    setText(text);
}

void DetailsSearchField::setText(const QString &text)
{
    if (m_field->text() != text)
        m_field->setText(text);
    m_badge->setVisible(text.isEmpty());
    m_clear->setVisible(!text.isEmpty());
}

bool DetailsSearchField::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            // The notch panel shows without taking the keyboard; a click into its search field
            // asks for it.
            if (QWidget *top = window(); top && !top->isActiveWindow())
                top->activateWindow();
            break;
        case QEvent::FocusIn:
            Q_EMIT focusChanged(true);
            break;
        case QEvent::FocusOut:
            Q_EMIT focusChanged(false);
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DetailsSearchField::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    PanelStyle::fillRounded(painter, QRectF(rect()), kCornerRadius, PanelStyle::colors(this).searchFieldBackground);
}
