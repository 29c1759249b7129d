#pragma once

#include <functional>

class ClipboardModel;
class QObject;
class QString;
class QWidget;

// Texts a view reads from L10n once, when it makes a widget, and that must follow a change of
// the interface language while the view is open.
namespace LiveText {

// Runs apply now and again on every change of language, for as long as owner lives.
void follow(ClipboardModel &model, QObject *owner, std::function<void()> apply);
// The widget's tooltip and accessible name: the Slovak base text in the language of the moment.
void tip(ClipboardModel &model, QWidget *widget, const QString &slovakBase);

} // namespace LiveText
