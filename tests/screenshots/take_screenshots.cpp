// Takes the README's pictures of the tabs: the window on the virtual board
// after a single point was sent, while a sweep runs and while a stepped
// logarithmic sweep runs.
#include "app/command_line_ports.h"
#include "app/drivers_control_dlg.h"
#include "board/virtual_board.h"
#include "pages/stepping/stepping_controls.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <QApplication>
#include <QDir>
#include <QTest>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: take_screenshots OUTPUT_DIR\n");
        return 2;
    }
    const QDir outputDir(QString::fromLocal8Bit(argv[1]));

    CVirtualBoard board;
    if (!board.Open()) {
        std::fprintf(stderr, "virtual board: %s\n", qPrintable(board.ErrorText()));
        return 1;
    }
    board.SetReportInterval(50);
    // The picture shows a sweep under way, whatever its time interval.
    board.SetStepsPerReport(1);
    CDriversControlDlg window(ListCommandLinePorts({&board, QString()}));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;

    const Ui::CSinglePointPage& single = window.SinglePointPage().Controls();
    single.editAmplitude->setText(QStringLiteral("1"));
    single.editFrequency->setText(QStringLiteral("100"));
    single.btnSend->click();
    QTest::qWait(500);
    if (!window.grab().save(outputDir.filePath(QStringLiteral("sending.png"))))
        return 1;

    window.Controls().tabPages->setCurrentIndex(1);
    const Ui::CSweepPage& sweep = window.SweepPage().Controls();
    sweep.editAmplitude->setText(QStringLiteral("1"));
    sweep.editStartFreq->setText(QStringLiteral("100"));
    sweep.editEndFreq->setText(QStringLiteral("300"));
    sweep.cmbInterval->showPopup();
    sweep.cmbInterval->hidePopup();
    sweep.cmbInterval->setCurrentIndex(8);
    sweep.btnScan->click();
    QTest::qWait(1500);
    if (!window.grab().save(outputDir.filePath(QStringLiteral("scanning.png"))))
        return 1;

    window.Controls().tabPages->setCurrentIndex(2);
    const SteppingControls& stepping = window.SteppingPage().Controls();
    stepping.editStartFreq->setText(QStringLiteral("10"));
    stepping.editEndFreq->setText(QStringLiteral("400"));
    stepping.spinPoints->setValue(41);
    stepping.editAmplitude->setText(QStringLiteral("1"));
    stepping.editDwell->setText(QStringLiteral("0.1"));
    stepping.btnStart->click();
    QTest::qWait(2800);
    if (!window.grab().save(outputDir.filePath(QStringLiteral("stepping.png"))))
        return 1;
    return 0;
}
