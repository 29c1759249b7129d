#include "ui/settings/PickerHeader.h"

#include "ui/tools/ToolText.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

PickerHeader::PickerHeader(const QString &title, const QString &explanation, QWidget *parent)
    : QWidget(parent), m_row(new QHBoxLayout(this))
{
    m_row->setContentsMargins(0, 0, 0, 0);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(kSpacing);
    texts->addWidget(new ToolText(title, kTitleSize, QFont::DemiBold, ToolText::Role::Primary, this));
    texts->addWidget(new ToolText(explanation, kExplanationSize, QFont::Normal, ToolText::Role::Secondary, this));
    m_row->addLayout(texts, 1);
}

void PickerHeader::addAccessory(QWidget *accessory)
{
    m_row->addWidget(accessory, 0, Qt::AlignVCenter);
}
