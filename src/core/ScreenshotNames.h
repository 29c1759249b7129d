#pragma once

#include <QString>

// The names that mark something as a screenshot, compared after folding case and diacritics:
// the words in an application's name that make its copied images screenshots, and the starts of
// the file names that screenshot tools give the pictures they save.
namespace ScreenshotNames {

// Whether the source application's name contains one of the screenshot words (never for an
// empty name).
bool isScreenshotSource(const QString &sourceApp);

// Whether a file name is an image file (by its extension) whose name starts like a screenshot's.
bool isScreenshotFileName(const QString &fileName);

} // namespace ScreenshotNames
