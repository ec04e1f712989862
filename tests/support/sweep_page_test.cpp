#include "support/sweep_page_test.h"

#include "support/golden_frames.h"
#include "support/sealed.h"

#include <QTest>

namespace {

// Long enough that the board never reports unless a test asks it to.
constexpr int kNoReportsMs = 3600 * 1000;

} // namespace

QString SweepFrame(const QString& strCount, const QString& strWords, const QString& strAmplitude,
                   const QString& strStepCode, const QString& strInterval, const QString& strCircular)
{
    return Sealed(kFrameHeader + strCount + "03" + strWords + strAmplitude + strStepCode + strInterval + strCircular
                  + kFrameTrailer);
}

QString DefaultSweepFrame(const QString& strCount)
{
    return SweepFrame(strCount, "028F5C28028F5C28", "0000", "06", "00000005", "00");
}

void SweepPageTest::OpenSweepPage()
{
    m_pFixture = std::make_unique<WindowOnBoard>();
    Fixture().Board().SetReportInterval(kNoReportsMs);
    Fixture().Window().Controls().tabPages->setCurrentIndex(1);
    QVERIFY(Page().isVisible());
}

void SweepPageTest::Type(QLineEdit* pEdit, const QString& strText)
{
    pEdit->selectAll();
    QTest::keyClick(pEdit, Qt::Key_Delete);
    QTest::keyClicks(pEdit, strText);
}

void SweepPageTest::ChooseRow(int nRow)
{
    if (nRow == -2)
        return;
    Ui().cmbInterval->showPopup();
    if (nRow >= 0)
        Ui().cmbInterval->setCurrentIndex(nRow);
    Ui().cmbInterval->hidePopup();
}

void SweepPageTest::Click(QAbstractButton* pButton)
{
    QTest::mouseClick(pButton, Qt::LeftButton);
}

void SweepPageTest::VerifyIdle()
{
    QVERIFY(Ui().btnScan->isEnabled());
    QVERIFY(!Ui().btnPause->isEnabled());
}

void SweepPageTest::VerifySweeping()
{
    QVERIFY(!Ui().btnScan->isEnabled());
    QVERIFY(Ui().btnPause->isEnabled());
}
