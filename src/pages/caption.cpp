#include "pages/caption.h"

#include <QAbstractButton>

void SetCaption(QAbstractButton* pButton, const QString& strCaption)
{
    pButton->setText(strCaption);
    pButton->setAccessibleName(strCaption);
}
