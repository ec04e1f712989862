#include "pages/message_box.h"

#include <QMessageBox>
#include <QStringList>

namespace {

MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}

// The text on screen, if any, and those waiting for it to close.
struct BoxQueue {
    bool bOpen = false;
    QString strOpen;
    QStringList pending;
};

BoxQueue& Queue()
{
    static BoxQueue queue;
    return queue;
}

void ShowOne(QWidget* pParent, const QString& strText)
{
    if (Hook()) {
        Hook()(strText);
        return;
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Vevevar Azevora"), strText, QMessageBox::Ok, pParent);
    box.exec();
}

} // namespace

void ShowMessageBox(QWidget* pParent, const QString& strText)
{
    BoxQueue& queue = Queue();
    if ((queue.bOpen && queue.strOpen == strText) || queue.pending.contains(strText))
        return;
    if (queue.bOpen) {
        // A box opened from inside another's event loop would stack on it.
        queue.pending.append(strText);
        return;
    }
    queue.pending.append(strText);
    while (!queue.pending.isEmpty()) {
        queue.strOpen = queue.pending.takeFirst();
        queue.bOpen = true;
        ShowOne(pParent, queue.strOpen);
        queue.bOpen = false;
    }
    queue.strOpen.clear();
}

void SetMessageBoxHook(MessageBoxHook hook)
{
    Hook() = std::move(hook);
}
