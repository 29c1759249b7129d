#pragma once

#include <QWidget>

class ClipboardModel;
class DetailsSearchField;
class LibraryFooter;
class LibraryView;
class PanelController;
class PanelSheets;
class SectionStrip;

// The body of the open notch panel, 450 × 420 below the notch row: the search field, the
// section strip, the selected section's screen with all the remaining height, and the footer
// bar under its divider line. The panel holds the search field and the section strip to the
// model: they show its search text and section and hand it what the user does.
class DetailsPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 450;
    static constexpr int kHeight = 420;
    static constexpr int kSpacing = 12;
    static constexpr int kSidePadding = 16;
    static constexpr int kTopPadding = 4;
    static constexpr int kBottomPadding = 14;
    static constexpr int kFooterTopPadding = 11;
    static constexpr int kFooterMinimumHeight = 32;
    static constexpr int kFooterSpacing = 10;

    DetailsPanel(ClipboardModel &model, PanelController &controller, PanelSheets &sheets, QWidget *parent = nullptr);

    DetailsSearchField *searchField() const { return m_search; }
    SectionStrip *sectionStrip() const { return m_strip; }
    LibraryView *library() const { return m_library; }
    LibraryFooter *footer() const { return m_footer; }

private:
    DetailsSearchField *m_search = nullptr;
    SectionStrip *m_strip = nullptr;
    LibraryView *m_library = nullptr;
    LibraryFooter *m_footer = nullptr;
};
