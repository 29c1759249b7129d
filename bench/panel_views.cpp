// Drawing the panel's entry rows and switching the appearance, as the user sees them: one row,
// a frame of a scrolled 500-entry list with 100 images (thumbnails decoded off the main thread
// and cached by entry id), and the repaint of the visible views when the appearance changes.
#include "BenchMain.h"
#include "support/SeededModel.h"
#include "ui/panel/ClipboardRow.h"
#include "ui/panel/EntryActionsMenu.h"
#include "ui/panel/EntryThumbnails.h"
#include "ui/panel/MenuActionRow.h"
#include "ui/style/PanelClock.h"
#include "ui/style/PanelMotion.h"
#include "ui/style/PanelStyle.h"

#include <benchmark/benchmark.h>

#include <QAbstractListModel>
#include <QApplication>
#include <QListView>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <memory>

namespace {

constexpr int kListEntries = 500;
constexpr int kListImages = 100;
constexpr QSize kListSize(420, 600);

class EntryListModel : public QAbstractListModel
{
public:
    explicit EntryListModel(const QList<ClipboardEntry> &entries) : m_entries(entries) {}
    int rowCount(const QModelIndex &) const override { return int(m_entries.size()); }
    QVariant data(const QModelIndex &, int) const override { return {}; }
    const ClipboardEntry &entry(int row) const { return m_entries.at(row); }

private:
    QList<ClipboardEntry> m_entries;
};

class RowDelegate : public QStyledItemDelegate
{
public:
    RowDelegate(const EntryListModel &model, EntryThumbnails &thumbnails, QListView &view)
        : m_model(model), m_thumbnails(thumbnails), m_view(view)
    {
    }
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        ClipboardRow::Header header;
        header.entry = m_model.entry(index.row());
        header.thumbnail = m_thumbnails.thumbnail(header.entry);
        header.now = m_now;
        ClipboardRow::paintHeader(*painter, option.rect, header, PanelStyle::colors(&m_view));
    }
    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return QSize(kListSize.width(), ClipboardRow::kHeaderHeight);
    }

private:
    const EntryListModel &m_model;
    EntryThumbnails &m_thumbnails;
    QListView &m_view;
    QDateTime m_now = PanelClock::now();
};

struct ListFixture {
    testsupport::SeededModel seed{{kListEntries, kListImages}};
    EntryListModel model{seed.entries()};
    EntryThumbnails thumbnails;
    QListView view;
    RowDelegate delegate{model, thumbnails, view};

    ListFixture()
    {
        view.setModel(&model);
        view.setItemDelegate(&delegate);
        view.setUniformItemSizes(true);
        view.resize(kListSize);
        PanelStyle::applyScheme(&view, PanelStyle::Scheme::Dark);
        view.setAttribute(Qt::WA_DontShowOnScreen);
        view.show();
        QObject::connect(&thumbnails, &EntryThumbnails::ready, view.viewport(), [this] { view.viewport()->update(); });
    }
    void scrollBy(int pixels)
    {
        QScrollBar *bar = view.verticalScrollBar();
        const int next = bar->value() + pixels;
        bar->setValue(next > bar->maximum() ? 0 : next);
        view.viewport()->repaint();
    }
    // Every thumbnail decoded, as after the user has scrolled the list once.
    void warm()
    {
        for (int i = 0; i < model.rowCount({}); ++i)
            thumbnails.thumbnail(model.entry(i));
        while (true) {
            bool pending = false;
            for (int i = 0; i < model.rowCount({}) && !pending; ++i)
                pending = thumbnails.isPending(model.entry(i).id);
            if (!pending)
                break;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }
};

void BM_PaintOneRow(benchmark::State &state)
{
    testsupport::SeededModel seed;
    const bool image = state.range(0) == 1;
    ClipboardRow row(seed.first(image ? ClipboardKind::Image : ClipboardKind::Text));
    if (image)
        row.setThumbnail(EntryThumbnails::decode(*seed.first(ClipboardKind::Image).imageData));
    row.resize(kListSize.width(), ClipboardRow::kHeaderHeight);
    PanelStyle::applyScheme(&row, PanelStyle::Scheme::Dark);
    QImage target(row.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        row.render(&target);
    state.SetLabel(image ? "image entry" : "text entry");
}
BENCHMARK(BM_PaintOneRow)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One frame of scrolling: the list moves by 40 pixels and the viewport repaints.
void BM_ScrollFrame500Entries(benchmark::State &state)
{
    ListFixture fixture;
    fixture.warm();
    for (auto _ : state)
        fixture.scrollBy(40);
    state.SetLabel("500 entries, 100 images, thumbnails cached");
}
BENCHMARK(BM_ScrollFrame500Entries)->Unit(benchmark::kMillisecond);

// The first frames of a list whose thumbnails are not decoded yet: painting only asks for them.
void BM_ScrollFrameColdThumbnails(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto fixture = std::make_unique<ListFixture>();
        state.ResumeTiming();
        fixture->scrollBy(ClipboardRow::kHeaderHeight * 50);
        state.PauseTiming();
        fixture->warm();
        fixture.reset();
        state.ResumeTiming();
    }
    state.SetLabel("first frame at row 50, decodes queued off the main thread");
}
BENCHMARK(BM_ScrollFrameColdThumbnails)->Unit(benchmark::kMillisecond)->Iterations(20);

// Every image of the largest history asked for at once, as a list scrolled end to end does, until
// the last picture is there: the few decodes running at a time set how long the last one waits.
void BM_DecodeEveryThumbnail(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto fixture = std::make_unique<ListFixture>();
        state.ResumeTiming();
        fixture->warm();
        state.PauseTiming();
        fixture.reset();
        state.ResumeTiming();
    }
    state.SetLabel("100 images of 500 entries, from the first ask to the last picture");
}
BENCHMARK(BM_DecodeEveryThumbnail)->Unit(benchmark::kMillisecond)->Iterations(10);

// The visible views repaint in the other appearance; no widget is created.
void BM_SwitchAppearance(benchmark::State &state)
{
    testsupport::SeededModel seed;
    QWidget window;
    auto *column = new QVBoxLayout(&window);
    for (int i = 0; i < 10; ++i) {
        auto *row = new ClipboardRow(seed.entries().at(i));
        if (row->entry().imageData)
            row->setThumbnail(EntryThumbnails::decode(*row->entry().imageData));
        column->addWidget(row);
    }
    for (int i = 0; i < 6; ++i)
        column->addWidget(new MenuActionRow({QStringLiteral("Pripnúť"), QStringLiteral("pin"), i == 0}));
    window.resize(kListSize.width(), 900);
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.show();
    const int widgets = int(window.findChildren<QWidget *>().size());
    bool light = false;
    for (auto _ : state) {
        light = !light;
        PanelStyle::applyScheme(&window, light ? PanelStyle::Scheme::Light : PanelStyle::Scheme::Dark);
        window.repaint();
    }
    if (int(window.findChildren<QWidget *>().size()) != widgets)
        state.SkipWithError("widgets were re-created");
    state.SetLabel("10 rows and 6 menu rows");
}
BENCHMARK(BM_SwitchAppearance)->Unit(benchmark::kMillisecond);

// Opening an entry's actions menu: built, laid out and drawn once (the first frame the user sees).
void BM_OpenActionsMenu(benchmark::State &state)
{
    testsupport::SeededModel seed({kListEntries, kListImages});
    const QString id = seed.first(ClipboardKind::Color).id;
    for (auto _ : state) {
        std::unique_ptr<EntryActionsMenu> menu(EntryActionsMenu::create(seed.model(), id, {}));
        QImage frame(menu->sizeHint(), QImage::Format_ARGB32_Premultiplied);
        menu->resize(menu->sizeHint());
        menu->render(&frame);
    }
}
BENCHMARK(BM_OpenActionsMenu)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmain::makeNamedFolders();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    PanelMotion::setFactor(0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
