#pragma once

#include "support/window_on_board.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QObject>
#include <QString>

#include <memory>

QString SweepFrame(const QString& strCount, const QString& strWords, const QString& strAmplitude,
                   const QString& strStepCode, const QString& strInterval, const QString& strCircular);

// Start 10 and end 10, as empty fields give; amplitude 0, no row, count 5.
QString DefaultSweepFrame(const QString& strCount = QStringLiteral("00"));

// Base of the sweep page tests: the main window on the virtual board with
// the sweep page shown, and the operator's hands on it.
class SweepPageTest : public QObject {
    Q_OBJECT

protected:
    static constexpr int kWaitMs = 10000;

    std::unique_ptr<WindowOnBoard> m_pFixture;

    WindowOnBoard& Fixture() { return *m_pFixture; }
    CSweepPage& Page() { return m_pFixture->Window().SweepPage(); }
    const Ui::CSweepPage& Ui() { return Page().Controls(); }

    // For init() and cleanup() of each test.
    void OpenSweepPage();
    void CloseWindow() { m_pFixture.reset(); }

    void Type(QLineEdit* pEdit, const QString& strText);
    // -2 leaves the list unopened, -1 opens and closes it without a choice.
    void ChooseRow(int nRow);
    void Click(QAbstractButton* pButton);

    void VerifyIdle();
    void VerifySweeping();
};
