#pragma once

class QWidget;

// Stands in for the panel until the application shell exists: a small window that says
// plainly which parts of Tarnel are not built yet.
QWidget *createPlaceholderWindow();
