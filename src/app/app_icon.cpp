#include "app/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace {

QPixmap DrawIcon(int nSize)
{
    QPixmap pixmap(nSize, nSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x1d, 0x3b, 0x53));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(0, 0, nSize, nSize), nSize / 6.0, nSize / 6.0);

    QPainterPath wave;
    const double dMargin = nSize / 8.0;
    const double dWidth = nSize - 2 * dMargin;
    for (int i = 0; i <= 64; ++i) {
        const double dX = dMargin + dWidth * i / 64.0;
        const double dY = nSize / 2.0 - std::sin(i / 64.0 * 4 * M_PI) * nSize / 4.0;
        if (i == 0)
            wave.moveTo(dX, dY);
        else
            wave.lineTo(dX, dY);
    }
    painter.setPen(QPen(QColor(0x7f, 0xdb, 0xca), std::max(1.5, nSize / 16.0)));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(wave);
    return pixmap;
}

} // namespace

QIcon AppIcon()
{
    QIcon icon;
    for (const int nSize : {16, 32, 48, 64, 128, 256})
        icon.addPixmap(DrawIcon(nSize));
    return icon;
}
