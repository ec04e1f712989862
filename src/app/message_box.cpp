#include "app/message_box.h"

#include <QMessageBox>
#include <QStringList>

namespace {

MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}

QStringList& OpenTexts()
{
    static QStringList texts;
    return texts;
}

} // namespace

void ShowMessageBox(QWidget* pParent, const QString& strText)
{
    if (OpenTexts().contains(strText))
        return;
    OpenTexts().append(strText);
    if (Hook()) {
        Hook()(strText);
    } else {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Vevevar Azevora"), strText, QMessageBox::Ok, pParent);
        box.exec();
    }
    OpenTexts().removeOne(strText);
}

void SetMessageBoxHook(MessageBoxHook hook)
{
    Hook() = std::move(hook);
}
