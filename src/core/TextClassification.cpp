#include "core/TextClassification.h"

#include "core/ClipboardPrivacy.h"

namespace TextClassifier {

TextClassification classify(const QString &text)
{
    TextClassification result;
    result.sensitive = ClipboardPrivacy::looksSensitive(text);
    if (result.sensitive)
        return result; // dropped unread: neither kind nor folds are needed
    result.kind = detectKind(text);
    result.folds = EntrySearchIndex::foldsOf(text, result.kind);
    return result;
}

} // namespace TextClassifier
