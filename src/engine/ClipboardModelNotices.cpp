#include "engine/ClipboardModel.h"

#include <QPointer>

void ClipboardModel::showCopiedNotice()
{
    // A screenshot notice that is showing is neither replaced nor shortened.
    if (m_screenshotNotice)
        return;
    const QUuid token = QUuid::createUuid();
    m_activeCopiedNoticeID = token;
    setImageNotKeptNotice(false);
    setCopiedNoticeVisible(true);
    m_clock->singleShot(kCopiedNoticeDuration, this, [this, token] {
        // Only the timer of the notice now showing may end it.
        if (m_activeCopiedNoticeID == token) {
            setCopiedNoticeVisible(false);
            setImageNotKeptNotice(false);
        }
    });
}

void ClipboardModel::showImageNotKeptNotice()
{
    // A copy lost in silence would look recorded; the notice replaces the copied one for as long.
    if (m_screenshotNotice)
        return;
    showCopiedNotice();
    setImageNotKeptNotice(true);
}

void ClipboardModel::setImageNotKeptNotice(bool value)
{
    if (m_imageNotKeptNotice == value)
        return;
    m_imageNotKeptNotice = value;
    Q_EMIT imageNotKeptNoticeChanged();
}

void ClipboardModel::showScreenshotNotice(const ClipboardEntry &entry)
{
    const QUuid token = QUuid::createUuid();
    m_activeCopiedNoticeID = token;
    setImageNotKeptNotice(false);
    setCopiedNoticeVisible(true);
    setScreenshotNoticeValue(entry);
    m_clock->singleShot(kScreenshotNoticeDuration, this, [this, token] {
        if (m_activeCopiedNoticeID != token)
            return;
        setCopiedNoticeVisible(false);
        setScreenshotNoticeValue(std::nullopt);
    });
}

void ClipboardModel::dismissScreenshotNotice()
{
    // A fresh token makes every pending timer find a foreign one and do nothing.
    m_activeCopiedNoticeID = QUuid::createUuid();
    setCopiedNoticeVisible(false);
    setScreenshotNoticeValue(std::nullopt);
}
