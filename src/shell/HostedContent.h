#pragma once

#include <QLayout>
#include <QWidget>

// The notch panel and the menu-bar popup each host one content view: a new one replaces the
// old, which is deleted once the events it is handling are done.
inline void replaceHostedContent(QWidget &host, QWidget *&current, QWidget *content)
{
    // A host without a layout places its content itself.
    QLayout *layout = host.layout();
    if (current) {
        if (layout)
            layout->removeWidget(current);
        current->deleteLater();
    }
    current = content;
    if (!content)
        return;
    if (layout) {
        layout->addWidget(content);
    } else {
        content->setParent(&host);
        content->show();
    }
}
