#include "engine/ClipboardModel.h"

#include <QPointer>

void ClipboardModel::showCopiedNotice()
{
    // A screenshot notice that is showing is neither replaced nor shortened.
    if (m_screenshotNotice)
        return;
    const QUuid token = QUuid::createUuid();
    m_activeCopiedNoticeID = token;
    setNotKeptNotice(NotKept::Nothing);
    setCopiedNoticeVisible(true);
    m_clock->singleShot(kCopiedNoticeDuration, this, [this, token] {
        // Only the timer of the notice now showing may end it.
        if (m_activeCopiedNoticeID == token) {
            setCopiedNoticeVisible(false);
            setNotKeptNotice(NotKept::Nothing);
        }
    });
}

void ClipboardModel::showImageNotKeptNotice()
{
    showNotKeptNotice(NotKept::Image);
}

void ClipboardModel::showTextNotKeptNotice()
{
    showNotKeptNotice(NotKept::Text);
}

void ClipboardModel::showCopyNotKeptNotice()
{
    showNotKeptNotice(NotKept::Copy);
}

void ClipboardModel::showNothingSelectedNotice()
{
    showNotKeptNotice(NotKept::Selection);
}

void ClipboardModel::showNotKeptNotice(NotKept what)
{
    // A copy lost in silence would look recorded; the notice replaces the copied one for as long.
    if (m_screenshotNotice)
        return;
    showCopiedNotice();
    setNotKeptNotice(what);
}

void ClipboardModel::setNotKeptNotice(NotKept value)
{
    if (m_notKeptNotice == value)
        return;
    m_notKeptNotice = value;
    Q_EMIT notKeptNoticeChanged();
}

void ClipboardModel::showScreenshotNotice(const ClipboardEntry &entry)
{
    const QUuid token = QUuid::createUuid();
    m_activeCopiedNoticeID = token;
    setNotKeptNotice(NotKept::Nothing);
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
