#pragma once

#include <QLineEdit>

// The panel's one-line text field: no system frame or focus ring, Inter 11, the primary text
// colour, 10 points inside left and right, 32 high, on the surface colour in a rounded
// rectangle. Search fields pass `search` and sit on the search field colour instead.
class PanelField : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr int kHeight = 32;
    static constexpr int kHorizontalPadding = 10;
    static constexpr qreal kCornerRadius = 9;
    static constexpr qreal kFontSize = 11;

    explicit PanelField(QWidget *parent = nullptr, bool search = false);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_search;
};
