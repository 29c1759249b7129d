#pragma once

#include <QString>

#include <functional>

class PickerOption;
class QWidget;
class SettingToggle;

// The blocks the guide's pages are made of. Each is made anew whenever its page is, from the
// values it is given; none reads the model. Texts are shown as given (callers translate them),
// except the status words of the permission card and the summary row, which these translate.
namespace OnboardingComponents {

inline constexpr qreal kHeadingTitleSize = 23;
inline constexpr qreal kHeadingSubtitleSize = 12;
inline constexpr int kHeadingSpacing = 4;

inline constexpr qreal kCardTitleSize = 12;
inline constexpr qreal kCardDetailSize = 10;
inline constexpr int kCardTextSpacing = 4;

inline constexpr int kTileSide = 38;
inline constexpr qreal kTileRadius = 11;
inline constexpr qreal kTileSymbolSize = 15;
inline constexpr qreal kTileTintOpacity = 0.1;

inline constexpr int kFeatureSpacing = 12;
inline constexpr int kFeaturePadding = 13;
inline constexpr qreal kFeatureRadius = 12;

inline constexpr int kPermissionSpacing = 12;
inline constexpr int kPermissionRowSpacing = 11;
inline constexpr int kPermissionPadding = 15;
inline constexpr qreal kPermissionRadius = 13;
inline constexpr qreal kStatusSize = 10;
inline constexpr int kStatusSpacing = 4;

inline constexpr int kButtonHeight = 32;
inline constexpr int kButtonPadding = 12;

inline constexpr qreal kChoiceSymbolSize = 12;
inline constexpr qreal kChoiceTitleSize = 11;
inline constexpr int kChoicePadding = 12;
inline constexpr int kChoiceMinimumHeight = 37;
inline constexpr int kChoiceContentSpacing = 8;
inline constexpr qreal kChoiceRadius = 10;
inline constexpr qreal kChoiceSelectedOpacity = 0.11;

inline constexpr qreal kRowTitleSize = 11;
inline constexpr qreal kRowValueSize = 10;
inline constexpr int kRowPadding = 13;
inline constexpr int kRowHeight = 38;

inline constexpr qreal kNoteSize = 10;
inline constexpr int kNoteSpacing = 5;

// Title over a subtitle that wraps onto as many lines as it needs.
QWidget *pageHeading(const QString &title, const QString &subtitle, QWidget *parent);
// The symbol in the accent colour on a faint accent square.
QWidget *iconTile(const QString &symbol, QWidget *parent);
// A larger tile that opens a page (welcome, ready).
QWidget *heroTile(const QString &symbol, qreal symbolSize, int side, qreal radius, QWidget *parent);
// Title over a wrapping detail, in the cards' fonts.
QWidget *cardTexts(const QString &title, const QString &detail, QWidget *parent);
QWidget *featureCard(const QString &title, const QString &detail, const QString &symbol, QWidget *parent);
// The state of a permission and, while it is missing, a button that explains what to do.
// The button is named `buttonName`, so the page's focus survives its rebuilds.
QWidget *permissionCard(const QString &title, const QString &detail, const QString &symbol, bool isGranted,
                        const QString &buttonName, const std::function<void()> &action, QWidget *parent);
// One of two options side by side: symbol, title, room and, when chosen, a check mark.
PickerOption *choiceButton(const QString &title, const QString &symbol, bool selected,
                           const std::function<void()> &action, QWidget *parent);
// A title and a small switch, 38 high. The switch shows what `value` reads; a flip calls
// `flipped` with the new value and then shows what `value` reads again, so a refused change
// flips the switch back even when nothing else on the page changes.
SettingToggle *preferenceToggle(const QString &title, const std::function<bool()> &value,
                                const std::function<void(bool)> &flipped, QWidget *parent);
// A title and a value word on the right, 38 high; the value in the accent colour or not.
QWidget *valueRow(const QString &title, const QString &value, bool accent, QWidget *parent);
// "Aktívne" in the accent colour when enabled, "Neskôr" in the secondary colour when not.
QWidget *summaryRow(const QString &title, bool enabled, QWidget *parent);
// A symbol before a wrapping line in the secondary colour, or in the warning colour.
QWidget *note(const QString &symbol, const QString &text, bool warning, QWidget *parent);
// A section label of the preferences page.
QWidget *sectionLabel(const QString &text, QWidget *parent);

} // namespace OnboardingComponents
