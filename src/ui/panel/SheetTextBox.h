#pragma once

#include <QWidget>

class QPlainTextEdit;

// The multi-line text area of the sheets: plain text in Inter on the surface colour, in a
// rounded box stroked with the border colour, the editor's own frame and background hidden
// (its colours come from the scheme of the sheet).
class SheetTextBox : public QWidget {
    Q_OBJECT
public:
    SheetTextBox(qreal fontSize, qreal cornerRadius, int padding, QWidget *parent = nullptr);

    QPlainTextEdit *editor() const { return m_editor; }
    QString text() const;
    void setText(const QString &text);

Q_SIGNALS:
    void textChanged(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPlainTextEdit *m_editor;
    qreal m_cornerRadius;
};
