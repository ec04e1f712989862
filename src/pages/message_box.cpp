#include "pages/message_box.h"

#include <QMessageBox>
#include <QStringList>

namespace {

MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}

// The texts on screen, the innermost box last.
QStringList& OpenTexts()
{
    static QStringList texts;
    return texts;
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
    QStringList& open = OpenTexts();
    if (open.contains(strText))
        return;
    open.append(strText);
    ShowOne(pParent, strText);
    open.removeLast();
}

void SetMessageBoxHook(MessageBoxHook hook)
{
    Hook() = std::move(hook);
}
