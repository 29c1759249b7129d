#pragma once

#include <QWidget>

class QBoxLayout;

// A group of settings on the surface colour, in a rounded rectangle. Rows go into layout();
// a card that holds single rows keeps its padding at 0 and lets the rows pad themselves.
class SettingsCard : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPadding = 11;
    static constexpr qreal kRadius = 11;
    static constexpr qreal kPickerRadius = 12;

    SettingsCard(Qt::Orientation orientation, int padding, int spacing, qreal radius = kRadius,
                 QWidget *parent = nullptr);

    QBoxLayout *layout() const { return m_layout; }

    // The 1-point divider between rows of one card, inset on both sides.
    static QWidget *divider(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QBoxLayout *m_layout;
    qreal m_radius;
};
