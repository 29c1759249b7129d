#include "ui/panel/DetailsPanel.h"

#include "ui/library/LibraryFooter.h"
#include "ui/library/LibraryView.h"
#include "ui/panel/DetailsSearchField.h"
#include "ui/panel/SectionStrip.h"
#include "ui/style/PanelStyle.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// The footer's bar: its content 11 points below a full-width divider line.
class FooterBar : public QWidget {
public:
    explicit FooterBar(QWidget *content, QWidget *parent) : QWidget(parent)
    {
        auto *row = new QHBoxLayout(this);
        row->setContentsMargins(0, DetailsPanel::kFooterTopPadding, 0, 0);
        row->setSpacing(DetailsPanel::kFooterSpacing);
        row->addWidget(content, 1);
        setMinimumHeight(DetailsPanel::kFooterTopPadding + DetailsPanel::kFooterMinimumHeight);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(QRectF(0, 0, width(), 1), PanelStyle::colors(this).divider);
    }
};

} // namespace

DetailsPanel::DetailsPanel(ClipboardModel &model, PanelController &controller, PanelSheets &sheets, QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(kWidth, kHeight);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(kSidePadding, kTopPadding, kSidePadding, kBottomPadding);
    column->setSpacing(kSpacing);
    m_search = new DetailsSearchField(model, this);
    m_strip = new SectionStrip(model, this);
    m_library = new LibraryView(model, controller, sheets, this);
    m_footer = new LibraryFooter(model, sheets, this);
    column->addWidget(m_search);
    column->addWidget(m_strip);
    column->addWidget(m_library, 1);
    column->addWidget(new FooterBar(m_footer, this));
}
