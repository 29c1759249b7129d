#pragma once

#include "support/SeededModel.h"

#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

// What a view's factory gets: the seeded model (history, Jars, snippets, Paste Stack, fixed
// clock). The language and the scheme are already set when the factory runs.
struct SnapshotContext {
    testsupport::SeededModel &seed;
};

// One picture per view, scheme and language. `size` is the frame the view's design gives it:
// a dimension of -1 is free (the view's own size hint decides); `hostWidth` is the width the
// view is laid out in when its width is free (0: its size hint).
struct SnapshotView {
    QString name;
    QSize size;
    int hostWidth = 0;
    std::function<QWidget *(SnapshotContext &)> make;
};

// Every view with a picture; see SnapshotCatalog.cpp to add one.
const std::vector<SnapshotView> &snapshotViews();
