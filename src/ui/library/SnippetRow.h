#pragma once

#include "core/ClipboardSnippet.h"

#include <QWidget>

class QAbstractButton;

// One snippet in the Snippets section: its name, the first lines of its text and its trigger
// badge; a click pastes the text, the pencil opens the editor, hovering highlights it.
class SnippetRow : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kCornerRadius = 10;
    static constexpr qreal kSelectedOpacity = 0.085;
    static constexpr int kLeadingPadding = 11;
    static constexpr int kTrailingPadding = 9;
    static constexpr int kVerticalPadding = 9;
    static constexpr int kSpacing = 8;
    static constexpr int kTextSpacing = 3;
    static constexpr qreal kNameSize = 12;
    static constexpr qreal kTextSize = 10;
    static constexpr int kTextLines = 2;
    static constexpr qreal kArrowSize = 10;
    static constexpr int kEditSide = 28;
    static constexpr qreal kEditRadius = 7;

    SnippetRow(const ClipboardSnippet &snippet, bool isSelected, QWidget *parent = nullptr);

    const QString &snippetID() const { return m_snippet.id; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    QAbstractButton *editButton() const { return m_edit; }
    QSize sizeHint() const override;

Q_SIGNALS:
    void pasteRequested(const QString &id);
    void editRequested(const QString &id);
    void hovered(const QString &id);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QString textLines() const;

    ClipboardSnippet m_snippet;
    bool m_selected;
    QAbstractButton *m_edit = nullptr;
};
