#pragma once

#include "ui/style/PanelStyle.h"
#include "ui/tools/ImageCanvasRenderer.h"

#include <QList>
#include <QWidget>

class ToolChoiceButton;

// The composer's three cards of choices: the aspect grid, the background mode with its
// swatches, and the corner style with the shadow switch. Every tile writes one field of the
// settings; the gradient and the solid colour are kept apart, so switching the mode back
// brings that mode's last choice back.
class ImageCanvasControls : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 275;

    explicit ImageCanvasControls(QWidget *parent = nullptr);

    const ImageCanvasSettings &settings() const { return m_settings; }
    void setSettings(const ImageCanvasSettings &settings);

Q_SIGNALS:
    void settingsChanged(const ImageCanvasSettings &settings);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *card(const QString &symbol, const QString &title);
    QWidget *aspectCard();
    QWidget *backgroundCard();
    QWidget *cornerCard();
    QWidget *swatchGrid(ImageCanvasBackgroundMode mode, QList<ToolChoiceButton *> &tiles);
    void change(const std::function<void(ImageCanvasSettings &)> &edit);
    void refresh();

    ImageCanvasSettings m_settings;
    QList<QWidget *> m_cards;
    QList<ToolChoiceButton *> m_aspectTiles;
    QList<ToolChoiceButton *> m_modeTiles;
    QList<ToolChoiceButton *> m_cornerTiles;
    QList<ToolChoiceButton *> m_gradientSwatches;
    QList<ToolChoiceButton *> m_solidSwatches;
    QWidget *m_gradientGrid = nullptr;
    QWidget *m_solidGrid = nullptr;
    ToolChoiceButton *m_shadowSwitch = nullptr;
    QWidget *m_divider = nullptr;
};
