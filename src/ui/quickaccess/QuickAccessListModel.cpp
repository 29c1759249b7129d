#include "ui/quickaccess/QuickAccessListModel.h"

#include "core/FormattedText.h"
#include "core/L10n.h"
#include "engine/ClipboardModel.h"
#include "ui/style/KindPresentation.h"
#include "ui/style/PanelClock.h"

namespace {

// Rows that show a paste chord: Ctrl+1 to Ctrl+6 inside Tarnel.
constexpr int kNumberedRows = 6;
// Enough of an entry's text for one line; the rest is never laid out.
constexpr qsizetype kTitleCharacters = 300;

QString oneLine(const ClipboardEntry &entry)
{
    if (entry.kind == ClipboardKind::Image || entry.kind == ClipboardKind::File)
        return entry.preview();
    QString line = entry.text.left(kTitleCharacters);
    line.replace(u'\n', u' ');
    return line.trimmed();
}

} // namespace

QString QuickAccessListModel::countLine(int count)
{
    const char *word = count == 1 ? "položka" : count >= 2 && count <= 4 ? "položky" : "položiek";
    return QString::number(count) + u' ' + L10n::text(QString::fromUtf8(word));
}

const ClipboardEntry *QuickAccessListModel::entryAt(int row) const
{
    return m_kind == RowKind::Entry && row >= 0 && row < m_entries.size() ? &m_entries.at(row) : nullptr;
}

const ClipboardSnippet *QuickAccessListModel::snippetAt(int row) const
{
    return m_kind == RowKind::Snippet && row >= 0 && row < m_snippets.size() ? &m_snippets.at(row) : nullptr;
}

const ClipboardJar *QuickAccessListModel::jarAt(int row) const
{
    return m_kind == RowKind::Jar && row >= 0 && row < m_jars.size() ? &m_jars.at(row) : nullptr;
}

int QuickAccessListModel::listedCount(const ClipboardJar &jar) const
{
    // Ids of entries deleted from the history are not counted: the count is what the Jar lists.
    return int(std::count_if(jar.entryIDs.begin(), jar.entryIDs.end(),
                             [this](const QString &id) { return m_historyIDs.contains(id); }));
}

QuickAccessListModel::QuickAccessListModel(ClipboardModel &model, QObject *parent)
    : QAbstractListModel(parent)
    , m_model(model)
{
    reload();
}

void QuickAccessListModel::reload()
{
    beginResetModel();
    m_entries.clear();
    m_snippets.clear();
    m_jars.clear();
    if (m_model.selectedTab() == ClipboardPanelTab::Snippets) {
        m_kind = RowKind::Snippet;
        m_snippets = m_model.quickAccessSnippets();
    } else if (m_model.selectedTab() == ClipboardPanelTab::Jars && !m_model.selectedJar()) {
        m_kind = RowKind::Jar;
        m_jars = m_model.filteredJars();
        m_historyIDs.clear();
        for (const ClipboardEntry &entry : m_model.entries())
            m_historyIDs.insert(entry.id);
    } else {
        m_kind = RowKind::Entry;
        m_entries = m_model.quickAccessEntries();
    }
    endResetModel();
}

void QuickAccessListModel::refreshSelection()
{
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0), index(rowCount() - 1), {SelectedRole});
}

int QuickAccessListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    switch (m_kind) {
    case RowKind::Entry:
        return int(m_entries.size());
    case RowKind::Snippet:
        return int(m_snippets.size());
    case RowKind::Jar:
        return int(m_jars.size());
    }
    return 0;
}

int QuickAccessListModel::selectedRow() const
{
    if (m_kind == RowKind::Entry) {
        const std::optional<QString> id = m_model.selectedEntryID();
        for (int i = 0; id && i < m_entries.size(); ++i) {
            if (m_entries.at(i).id == *id)
                return i;
        }
    } else if (m_kind == RowKind::Snippet) {
        const std::optional<QString> id = m_model.selectedQuickAccessSnippetID();
        for (int i = 0; id && i < m_snippets.size(); ++i) {
            if (m_snippets.at(i).id == *id)
                return i;
        }
    }
    return -1;
}

QVariant QuickAccessListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int row = index.row();
    if (role == KindRole)
        return int(m_kind);
    switch (m_kind) {
    case RowKind::Entry: {
        const ClipboardEntry &entry = m_entries.at(row);
        switch (role) {
        case Qt::DisplayRole:
        case TitleRole:
            return oneLine(entry);
        case DetailRole:
            return entry.sourceApp.isEmpty() ? KindPresentation::displayName(entry.kind) : entry.sourceAppLabel();
        case TimeRole:
            return entry.copiedAtLabel(PanelClock::now());
        case ShortcutRole:
            // A Jar's rows carry no paste chord.
            return row < kNumberedRows && m_model.selectedTab() != ClipboardPanelTab::Jars
                       ? QStringLiteral("Ctrl+%1").arg(row + 1)
                       : QString();
        case SelectedRole:
            return m_model.selectedEntryID() == entry.id;
        case IdRole:
            return entry.id;
        case Qt::AccessibleTextRole:
            return FormattedText::substitute(L10n::text(QStringLiteral("Vložiť: %@")), {entry.boundedPreview()});
        case Qt::AccessibleDescriptionRole:
            return data(index, DetailRole).toString() + QStringLiteral(" · ") + data(index, TimeRole).toString();
        default:
            return {};
        }
    }
    case RowKind::Snippet: {
        const ClipboardSnippet &snippet = m_snippets.at(row);
        switch (role) {
        case Qt::DisplayRole:
        case TitleRole:
            return snippet.name;
        case DetailRole:
            return snippet.trigger;
        case SelectedRole:
            return m_model.selectedQuickAccessSnippetID() == snippet.id;
        case IdRole:
            return snippet.id;
        case Qt::AccessibleTextRole:
            return FormattedText::substitute(L10n::text(QStringLiteral("Vložiť %@")), {snippet.name});
        case Qt::AccessibleDescriptionRole:
            return snippet.trigger;
        default:
            return {};
        }
    }
    case RowKind::Jar: {
        const ClipboardJar &jar = m_jars.at(row);
        switch (role) {
        case Qt::DisplayRole:
        case TitleRole:
            return jar.name;
        case DetailRole:
            return countLine(listedCount(jar));
        case SelectedRole:
            return m_model.selectedJarID() == jar.id;
        case IdRole:
            return jar.id;
        case Qt::AccessibleTextRole:
            return jar.name;
        case Qt::AccessibleDescriptionRole:
            return countLine(listedCount(jar));
        default:
            return {};
        }
    }
    }
    return {};
}
