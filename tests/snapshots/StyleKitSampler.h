#pragma once

#include "support/SeededModel.h"

#include <QWidget>

// Every piece of the style kit on one page, to look at: the palette, the buttons in each
// state, fields, badges, the kind names, the symbol table and an empty state.
class StyleKitSampler : public QWidget
{
    Q_OBJECT
public:
    explicit StyleKitSampler(testsupport::SeededModel &seed, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
