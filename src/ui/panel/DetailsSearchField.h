#pragma once

#include <QWidget>

class ClipboardModel;
class QAbstractButton;
class QLineEdit;
class ShortcutBadge;

// The search row of the details panel: a magnifier, the field that edits the model's one
// search text, and the history shortcut's keycap, which a clear button replaces while there is
// text. Return pastes by the section's rule: the first matching snippet on Snippets, nothing on
// the Paste Stack, the selected (else first) listed entry everywhere else. The field's keyboard
// focus is mirrored into the model, whose key handling leaves typing to a focused field.
class DetailsSearchField : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 36;
    static constexpr int kSidePadding = 11;
    static constexpr int kSpacing = 9;
    static constexpr qreal kCornerRadius = 10;
    static constexpr qreal kSymbolSize = 12;
    static constexpr qreal kFontSize = 12;

    explicit DetailsSearchField(ClipboardModel &model, QWidget *parent = nullptr);

    QLineEdit *field() const { return m_field; }
    ShortcutBadge *shortcutBadge() const { return m_badge; }
    QAbstractButton *clearButton() const { return m_clear; }
    // Return in the field.
    void submit();

Q_SIGNALS:
    void focusChanged(bool focused);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void followModel();

    ClipboardModel &m_model;
    QLineEdit *m_field = nullptr;
    ShortcutBadge *m_badge = nullptr;
    QAbstractButton *m_clear = nullptr;
};
