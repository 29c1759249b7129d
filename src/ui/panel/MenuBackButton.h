#pragma once

#include <QAbstractButton>

// The back button in the header of a menu's sub-page: a symbol on a quiet rounded tile,
// without a hover look.
class MenuBackButton : public QAbstractButton
{
    Q_OBJECT
public:
    static constexpr int kWidth = 27;
    static constexpr int kHeight = 30;
    static constexpr qreal kCornerRadius = 7;
    static constexpr qreal kFontSize = 11;

    explicit MenuBackButton(const QString &symbol = QStringLiteral("chevron.left"), QWidget *parent = nullptr);

    QSize sizeHint() const override { return QSize(kWidth, kHeight); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
};
