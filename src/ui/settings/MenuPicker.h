#pragma once

#include <QAbstractButton>
#include <QList>
#include <QPair>

class QMenu;

// A menu picker of the settings: the chosen option's label and a chevron in a fixed frame on
// the control surface; a click opens the options as a menu. The picker shows the value it is
// given and reports a choice through chosen(); the caller writes the setting.
class MenuPicker : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr QSize kSize{142, 36};
    static constexpr int kHorizontalPadding = 7;
    static constexpr qreal kRadius = 8;
    static constexpr qreal kTextSize = 11;
    static constexpr qreal kChevronSize = 9;

    MenuPicker(const QString &accessibleName, QList<QPair<QString, int>> options, QWidget *parent = nullptr);

    void setValue(int value);
    int value() const { return m_value; }
    QString currentLabel() const;
    // The menu of options, built when opened; exposed so tests can choose without a pointer.
    QMenu *buildMenu();
    QSize sizeHint() const override { return kSize; }
    QSize minimumSizeHint() const override { return kSize; }

Q_SIGNALS:
    void chosen(int value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<QPair<QString, int>> m_options;
    int m_value = 0;
};
