#pragma once

#include "core/ClipboardEntry.h"
#include "core/ClipboardSnippet.h"
#include "ui/panel/ClearSection.h"
#include "ui/panel/PanelSheets.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>

class ClipboardModel;
class PanelController;

// Presents the panel's sheets (the entry sheet, the Jar editor, the snippet editor) and the
// clear confirmation over one panel view, and makes the model calls their buttons end in. While
// any of them, or an entry's actions menu, is open the panel must stay open: the host says so
// through its signals, and the view that owns it mirrors that into the controller together with
// what the other views of the same controller hold (one view letting go must not release another).
//
// Each sheet is a window of its own, centred over the panel view: the sheets are larger than the
// notch panel and take the keyboard, which the panel itself never does.
class PanelSheetHost : public QObject, public PanelSheets {
    Q_OBJECT
public:
    // The controller is the one of the panel the sheets stand over; the host leaves its holds to
    // the owning view, which writes them together with the other views'.
    PanelSheetHost(ClipboardModel &model, PanelController &controller, QWidget *overlayParent,
                   QObject *parent = nullptr);
    ~PanelSheetHost() override;

    // PanelSheets.
    void editEntry(const ClipboardEntry &entry) override;
    void previewImage(const ClipboardEntry &entry) override;
    void composeImage(const ClipboardEntry &entry) override;
    void editJar(const std::optional<QString> &jarID) override;
    void editSnippet(const std::optional<ClipboardSnippet> &snippet) override;
    void confirmClear(ClearSection section, const std::optional<QString> &jarID = std::nullopt) override;
    void setActionEntry(const std::optional<ClipboardEntry> &entry) override;
    std::optional<QString> expandedControlsEntryID() const override;
    void setExpandedControlsEntryID(const std::optional<QString> &id) override;
    QObject *lifetime() override { return this; }

    // What is shown right now.
    // The open sheet's view (EditTextSheet, ImagePreviewSheet, ImageCanvasComposerSheet,
    // JarEditorSheet or SnippetEditorSheet); none while no sheet is open.
    QWidget *sheet() const;
    // The clear confirmation (a ClearSectionAlert) while it asks; none otherwise.
    QWidget *clearAlert() const;
    const std::optional<ClipboardEntry> &editingEntry() const { return m_editingEntry; }
    const std::optional<ClipboardEntry> &actionEntry() const { return m_actionEntry; }
    const std::optional<ClearSection> &clearSection() const { return m_clearSection; }
    bool isJarEditorPresented() const { return m_isJarEditorPresented; }
    bool isSnippetEditorPresented() const { return m_isSnippetEditorPresented; }
    // A sheet or the alert is shown (an editor, to the controller).
    bool isEditorOpen() const;
    // An entry's actions menu is open.
    bool isActionMenuOpen() const { return m_actionEntry.has_value(); }
    // Either: the panel must not collapse under it.
    bool isPresenting() const;

    // Closes every sheet and the alert without acting on them (the panel view goes away).
    void dismissAll();

Q_SIGNALS:
    // A sheet or the alert appeared (its view) or went away.
    void sheetShown(QWidget *sheet);
    void sheetClosed();
    // isEditorOpen(), isActionMenuOpen() and isPresenting() changed; each is told only on a change,
    // and a sheet replaced by the next never reads as closed in between.
    void editorOpenChanged(bool open);
    void actionMenuOpenChanged(bool open);
    void presentingChanged(bool presenting);
    void expandedControlsEntryIDChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ClipboardModel *guardedModel() const;
    void presentEntry(const ClipboardEntry &entry);
    QWidget *makeEntrySheet(const ClipboardEntry &entry);
    QWidget *makeJarEditor();
    QWidget *makeSnippetEditor();
    bool saveEditedText(const ClipboardEntry &entry, const QString &text);
    bool saveJar(const QString &name);
    bool saveSnippet(const QString &name, const QString &trigger, const QString &text);
    void clear(ClearSection section);

    void showSheet(QWidget *view);
    // Closing ends the state, deletes the window and tells the panel; discarding does the first
    // two only, for an opener that shows another at once.
    void closeSheet();
    void closeAlert();
    void discardSheet();
    // The keyboard of a closing sheet or alert goes to the panel it was opened from.
    void handKeyboardBack(QWidget *closing) const;
    void discardAlert();
    // Makes the view a window over the panel view and shows it with the keyboard.
    void present(QWidget *view);
    void place(QWidget *window) const;
    void followAppearance();
    void followLanguage();
    // Tells of a change of what is open.
    void announce();

    ClipboardModel &m_model;
    // The model outlives the host in the program; the guard spares a host that outlives it in tests.
    QPointer<ClipboardModel> m_modelGuard;
    QPointer<QWidget> m_overlayParent;
    QPointer<QWidget> m_sheet;
    QPointer<QWidget> m_alert;
    bool m_toldEditorOpen = false;
    bool m_toldActionMenuOpen = false;

    std::optional<ClipboardEntry> m_editingEntry;
    QString m_editingText;
    bool m_isCreatingImage = false;
    bool m_isJarEditorPresented = false;
    std::optional<QString> m_editingJarID;
    bool m_isSnippetEditorPresented = false;
    std::optional<ClipboardSnippet> m_editingSnippet;
    std::optional<ClearSection> m_clearSection;
    std::optional<QString> m_clearSectionJarID;
    std::optional<ClipboardEntry> m_actionEntry;
    std::optional<QString> m_expandedControlsEntryID;
};
