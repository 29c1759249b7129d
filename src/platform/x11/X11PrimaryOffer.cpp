#include "platform/x11/X11PrimaryOffer.h"

X11PrimaryOffer::X11PrimaryOffer(const QString &text)
{
    setText(text);
}

QVariant X11PrimaryOffer::retrieveData(const QString &mimeType, QMetaType type) const
{
    // Qt asks for the data only to hand it to a requestor; the list of types comes from
    // formats() and is no read.
    Q_EMIT const_cast<X11PrimaryOffer *>(this)->read();
    return QMimeData::retrieveData(mimeType, type);
}
