#pragma once

#include "core/ClipboardKind.h"
#include "core/EntrySearchIndex.h"

#include <QString>

// What the capture road needs to know of a copied text before it enters the history: whether
// the privacy filter refuses it, its kind, and the folds the search compares it in. Working it
// out reads the whole text several times, which for a text of many megabytes takes long enough
// to be done away from the interface.
struct TextClassification {
    bool sensitive = false;
    ClipboardKind kind = ClipboardKind::Text;
    // Empty when the text is sensitive: it is never searched.
    EntrySearchIndex::Folds folds;

    bool operator==(const TextClassification &) const = default;
};

namespace TextClassifier {

// Pure and safe to call from any thread; linear in the text's length.
TextClassification classify(const QString &text);

} // namespace TextClassifier
