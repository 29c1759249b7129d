#pragma once

#include "core/ClipboardAppearance.h"
#include "core/ClipboardEntry.h"
#include "ui/tools/ScreenshotTextState.h"

#include <QWidget>

#include <functional>

class ClipboardModel;
class PanelButton;
class QHBoxLayout;
class QMenu;
class QPlainTextEdit;
class QStackedWidget;
class QWidget;
class QrDetector;
class ScreenshotReader;
class TextRecognizer;
class ToolChoiceButton;
class ToolText;

// Reads the text and the QR codes of a screenshot, shows one result at a time in an editable
// area, and saves it to the history, the Paste Stack or the pins, or copies it. Reading starts
// when the sheet is made and runs off the main thread; closing the sheet drops its result.
class ScreenshotTextSheet : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{500, 400};
    // The sheet's rounded corners; its window is cut to them.
    static constexpr qreal kRadius = 20;

    // Without a model (a shell run without one) every save is refused.
    ScreenshotTextSheet(ClipboardEntry entry, ClipboardAppearance appearance, std::function<void()> onClose,
                        ClipboardModel *model, TextRecognizer *recognizer, QrDetector *detector,
                        QWidget *parent = nullptr);

    const ClipboardEntry &entry() const { return m_entry; }
    const ScreenshotTextState &state() const { return m_state; }
    // The ids under which results are saved start with this.
    const QString &baseResultID() const { return m_state.baseResultID(); }

    QSize sizeHint() const override { return kSize; }

    void save(OCRTextDestination destination);
    void copy();
    // The save menu as it would open now (tests read it).
    QMenu *saveMenu() const { return m_saveMenu; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void readingFinished(const ScreenshotReading &reading);
    void showMode(bool qr);
    void showCode(int index);
    void textEdited();
    void rebuildSaveMenu();
    void refresh();
    void refreshFooter();
    QWidget *buildHeader();
    QWidget *buildResultArea();
    QWidget *buildFooter();

    ClipboardEntry m_entry;
    ClipboardModel *m_model;
    std::function<void()> m_onClose;
    ScreenshotTextState m_state;
    ScreenshotReader *m_reader = nullptr;

    ToolChoiceButton *m_textMode = nullptr;
    ToolChoiceButton *m_qrMode = nullptr;
    QWidget *m_modeSwitch = nullptr;
    QWidget *m_picker = nullptr;
    QHBoxLayout *m_pickerLayout = nullptr;
    QList<ToolChoiceButton *> m_codeButtons;
    QStackedWidget *m_result = nullptr;
    ToolText *m_emptySymbol = nullptr;
    ToolText *m_emptyMessage = nullptr;
    QPlainTextEdit *m_editor = nullptr;
    PanelButton *m_saveButton = nullptr;
    QMenu *m_saveMenu = nullptr;
    ToolText *m_feedback = nullptr;
    PanelButton *m_copyButton = nullptr;
};
