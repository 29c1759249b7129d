#pragma once

#include <QWidget>

class QHBoxLayout;

// The header above a picker's options: its title over a one-line explanation, and room on
// the right for an accessory (the appearance picker's badge).
class PickerHeader : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kTitleSize = 11;
    static constexpr qreal kExplanationSize = 9;
    static constexpr int kSpacing = 3;

    PickerHeader(const QString &title, const QString &explanation, QWidget *parent = nullptr);
    void addAccessory(QWidget *accessory);

private:
    QHBoxLayout *m_row;
};
