#pragma once

#include <QMimeData>

// A text lent to the primary selection for one paste: it tells the moment a program reads it,
// so that what the user had selected can be given back once the paste has taken it.
class X11PrimaryOffer : public QMimeData {
    Q_OBJECT
public:
    explicit X11PrimaryOffer(const QString &text);

Q_SIGNALS:
    // A program asked for the text (Qt serves each request on the main thread).
    void read();

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;
};
