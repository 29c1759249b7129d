#include "ui/panel/SectionStrip.h"

#include "ui/panel/SectionSymbols.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"

#include <QHBoxLayout>
#include <QPainter>

namespace {

// One cell: the section's symbol, accent and on a faint accent fill while selected. The whole
// cell takes the click. Checked mirrors the selection for assistive tools; a click itself
// never toggles it, the owner decides.
class SectionButton : public QAbstractButton {
public:
    SectionButton(ClipboardPanelTab tab, QWidget *parent) : QAbstractButton(parent), m_tab(tab)
    {
        setCheckable(true);
        setFocusPolicy(Qt::NoFocus);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setFixedHeight(SectionStrip::kCellHeight);
        setObjectName(QStringLiteral("section-") + rawValue(tab));
    }
    QSize sizeHint() const override { return {SectionStrip::kCellHeight, SectionStrip::kCellHeight}; }

protected:
    void nextCheckState() override {}
    void paintEvent(QPaintEvent *) override
    {
        const PanelStyle::Colors &colors = PanelStyle::colors(this);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool selected = isChecked();
        if (selected)
            PanelStyle::fillRounded(painter, QRectF(rect()), SectionStrip::kCellRadius,
                                    PanelStyle::withOpacity(colors.accent, SectionStrip::kSelectedTint));
        PanelIcons::paint(painter, QRectF(rect()), SectionSymbols::symbol(m_tab), SectionStrip::kSymbolSize,
                          selected ? colors.accent : colors.secondary);
    }

private:
    ClipboardPanelTab m_tab;
};

} // namespace

const QList<ClipboardPanelTab> &SectionStrip::primaryTabs()
{
    static const QList<ClipboardPanelTab> tabs = [] {
        QList<ClipboardPanelTab> all;
        for (ClipboardPanelTab tab : allCases<ClipboardPanelTab>())
            all.append(tab);
        return all;
    }();
    return tabs;
}

SectionStrip::SectionStrip(ClipboardPanelTab selected, QWidget *parent) : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    row->setSpacing(kSpacing);
    for (ClipboardPanelTab tab : primaryTabs()) {
        auto *button = new SectionButton(tab, this);
        const QString name = title(tab);
        button->setToolTip(name);
        button->setAccessibleName(name);
        connect(button, &QAbstractButton::clicked, this, [this, tab] { Q_EMIT tabClicked(tab); });
        row->addWidget(button);
        m_buttons.append(button);
    }
    setSelectedTab(selected);
}

QAbstractButton *SectionStrip::button(ClipboardPanelTab tab) const
{
    const qsizetype index = primaryTabs().indexOf(tab);
    return index >= 0 ? m_buttons.at(index) : nullptr;
}

void SectionStrip::setSelectedTab(ClipboardPanelTab tab)
{
    for (qsizetype index = 0; index < m_buttons.size(); ++index)
        m_buttons.at(index)->setChecked(primaryTabs().at(index) == tab);
}

void SectionStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    PanelStyle::fillRounded(painter, QRectF(rect()), kCornerRadius, PanelStyle::colors(this).navigationSurface);
}
