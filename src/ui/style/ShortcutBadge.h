#pragma once

#include "ui/style/PanelStyle.h"

#include <QWidget>

// A small keycap ("Ctrl+1", a snippet trigger): the text as given, never cut, wrapped or
// squeezed; the badge grows with its text. Delegates paint the same badge with paint().
class ShortcutBadge : public QWidget
{
    Q_OBJECT
public:
    static constexpr qreal kFontSize = 10;
    static constexpr int kHorizontalPadding = 6;
    static constexpr int kVerticalPadding = 3;
    static constexpr qreal kCornerRadius = 5;

    explicit ShortcutBadge(const QString &text, QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const { return m_text; }

    static QSize sizeFor(const QString &text);
    static void paint(QPainter &painter, const QRectF &rect, const QString &text, const PanelStyle::Colors &colors);

    QSize sizeHint() const override { return sizeFor(m_text); }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
};
