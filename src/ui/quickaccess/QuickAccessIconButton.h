#pragma once

#include <QAbstractButton>

// A square (or round) symbol button of the Quick Access chrome: the secondary colour on the
// control surface, its tooltip and accessible name the same localised text.
class QuickAccessIconButton : public QAbstractButton
{
    Q_OBJECT
public:
    struct Look {
        int side = 34;
        qreal cornerRadius = 9; // half the side draws a circle
        qreal symbolSize = 11;
        bool flat = false; // no surface of its own (symbols inside a field)
    };

    QuickAccessIconButton(const QString &symbol, Look look, const QString &help, QWidget *parent = nullptr);

    QSize sizeHint() const override { return QSize(m_look.side, m_look.side); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
    Look m_look;
};
