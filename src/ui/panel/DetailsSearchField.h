#pragma once

#include <QWidget>

class QAbstractButton;
class QLineEdit;
class ShortcutBadge;

// The search row of the details panel: a magnifier, the field, and the history shortcut's
// keycap, which a clear button replaces while there is text. The field shows the search text
// its owner reports and announces what the user does with it: an edit (the clear button's
// included), Return, and a change of its keyboard focus.
class DetailsSearchField : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 36;
    static constexpr int kSidePadding = 11;
    static constexpr int kSpacing = 9;
    static constexpr qreal kCornerRadius = 10;
    static constexpr qreal kSymbolSize = 12;
    static constexpr qreal kFontSize = 12;

    explicit DetailsSearchField(const QString &text, QWidget *parent = nullptr);

    QLineEdit *field() const { return m_field; }
    ShortcutBadge *shortcutBadge() const { return m_badge; }
    QAbstractButton *clearButton() const { return m_clear; }
    // Shows the search text, however it was set.
    void setText(const QString &text);

Q_SIGNALS:
    void searchEdited(const QString &text);
    void submitted();
    void focusChanged(bool focused);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_field = nullptr;
    ShortcutBadge *m_badge = nullptr;
    QAbstractButton *m_clear = nullptr;
};
