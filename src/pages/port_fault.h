#pragma once

#include <QString>

class QWidget;

// A port fault is shown once until the operator acts: every running watch
// meets the same dead port, and so may a tick already queued, whichever
// meets it first. Faults of other kinds are shown each time.
void ShowPortFault(QWidget* pParent, const QString& strText);

// A fault a watch met when it resent: a port fault by the rule above, any
// other shown as it is.
void ShowFailure(QWidget* pParent, const QString& strText, bool bPortFault);

// The operator acted (a click, a port picked) or the window started: the
// next port fault is news again.
void ForgetShownPortFault();
