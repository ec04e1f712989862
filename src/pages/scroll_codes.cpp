#include "pages/scroll_codes.h"

void ConnectScrollCodes(QScrollBar* pBar, QObject* pContext, std::function<void(ScrollCode, int)> handler)
{
    // actionTriggered comes after the bar moved its slider and before it
    // takes the new value, so the handler's position is the one that stays.
    QObject::connect(pBar, &QAbstractSlider::actionTriggered, pContext, [pBar, handler](int nAction) {
        switch (nAction) {
        case QAbstractSlider::SliderSingleStepSub:
            handler(kLineLeft, 0);
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            handler(kLineRight, 0);
            break;
        case QAbstractSlider::SliderPageStepSub:
            handler(kPageLeft, 0);
            break;
        case QAbstractSlider::SliderPageStepAdd:
            handler(kPageRight, 0);
            break;
        case QAbstractSlider::SliderMove:
            handler(kThumbTrack, pBar->sliderPosition());
            break;
        case QAbstractSlider::SliderToMinimum:
            handler(kLeftEnd, 0);
            break;
        case QAbstractSlider::SliderToMaximum:
            handler(kRightEnd, 0);
            break;
        default:
            break;
        }
    });
    QObject::connect(pBar, &QAbstractSlider::sliderReleased, pContext, [handler] { handler(kEndScroll, 0); });
}

int ScrolledPosition(int nPos, ScrollCode nCode, int nThumbPos)
{
    switch (nCode) {
    case kLineLeft:
        return nPos - 1;
    case kLineRight:
        return nPos + 1;
    case kPageLeft:
        return nPos - 10;
    case kPageRight:
        return nPos + 10;
    case kThumbTrack:
        return nThumbPos;
    default:
        return nPos;
    }
}
