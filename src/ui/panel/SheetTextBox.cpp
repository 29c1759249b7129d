#include "ui/panel/SheetTextBox.h"

#include "ui/style/PanelScrollBar.h"
#include "ui/style/PanelStyle.h"

#include <QPainter>
#include <QPlainTextEdit>
#include <QVBoxLayout>

SheetTextBox::SheetTextBox(qreal fontSize, qreal cornerRadius, int padding, QWidget *parent)
    : QWidget(parent)
    , m_editor(new QPlainTextEdit(this))
    , m_cornerRadius(cornerRadius)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->addWidget(m_editor);
    m_editor->setFrameShape(QFrame::NoFrame);
    // The desktop style's bar is light whatever the sheet's look.
    m_editor->setVerticalScrollBar(new PanelScrollBar(Qt::Vertical));
    m_editor->setHorizontalScrollBar(new PanelScrollBar(Qt::Horizontal));
    // The box takes the height its sheet leaves it; the editor's own wish (a dozen lines) would
    // make a fixed-size sheet ask for more than its frame.
    m_editor->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    m_editor->viewport()->setAutoFillBackground(false);
    m_editor->setAutoFillBackground(false);
    // What the user copied is shown as it is: no ligatures turning "->" into an arrow.
    m_editor->setFont(PanelStyle::exactFont(fontSize));
    m_editor->setTabChangesFocus(false);
    setFocusProxy(m_editor);
    connect(m_editor, &QPlainTextEdit::textChanged, this, [this] { Q_EMIT textChanged(text()); });
}

QString SheetTextBox::text() const
{
    return m_editor->toPlainText();
}

void SheetTextBox::setText(const QString &text)
{
    if (text == this->text())
        return;
    m_editor->setPlainText(text);
    m_editor->moveCursor(QTextCursor::End);
}

void SheetTextBox::paintEvent(QPaintEvent *)
{
    const PanelStyle::Colors &colors = PanelStyle::colors(this);
    QPainter painter(this);
    const QRectF box = QRectF(rect());
    PanelStyle::fillRounded(painter, box, m_cornerRadius, colors.surface);
    PanelStyle::strokeRounded(painter, box, m_cornerRadius, colors.border);
}
