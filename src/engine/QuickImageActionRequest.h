#pragma once

#include <QString>

// What Quick Access asks the views to do with an image entry.
enum class QuickImageAction { Preview, Edit, SavePNG, SaveJPG };

struct QuickImageActionRequest {
    QString entryID;
    QuickImageAction action = QuickImageAction::Preview;

    bool operator==(const QuickImageActionRequest &) const = default;
};
