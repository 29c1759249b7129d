#pragma once

#include <QWidget>

// A folder path in at most two lines: broken anywhere when it needs a second line, and
// shortened in its middle when even two are too few, so that both its start and the folder's
// own name stay in sight.
class FolderPathLine : public QWidget {
    Q_OBJECT
public:
    FolderPathLine(const QString &path, qreal pointSize, QWidget *parent = nullptr);

    const QString &path() const { return m_path; }
    // The lines as drawn at a width.
    QStringList lines(int width) const;

    // As wide as the whole path on one line, down to nothing; as high as its lines need.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_path;
};
