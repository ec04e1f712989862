// The floor of showing the stream: a dialog like the empty one of the
// start-up figures, whose one field gets a new frequency text at every tick
// of the scan watch and nothing else. Showing each tick's report is what the
// sweep page must do, so no receive path can cost less than this.
#include "support/clock.h"
#include "support/figures.h"
#include "support/options.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

namespace {

constexpr int kWatchTickMs = 50;
constexpr int kSettleMs = 1000;

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    CBenchOptions options;
    options.AddSeconds();
    options.AddOut();
    options.Process(QCoreApplication::arguments());
    const double dSeconds = options.Seconds();

    QDialog dialog;
    dialog.setFixedSize(552, 538);
    auto* pTabs = new QTabWidget(&dialog);
    pTabs->setGeometry(10, 10, 531, 328);
    auto* pPage = new QWidget;
    pTabs->addTab(pPage, QStringLiteral("first"));
    pTabs->addTab(new QWidget, QStringLiteral("second"));
    auto* pField = new QLineEdit(pPage);
    pField->setGeometry(175, 108, 75, 18);
    dialog.show();

    int nTick = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, pField,
                     [&] { pField->setText(QString::number(20 + 0.01 * ++nTick, 'g', 6)); });
    qint64 nStartNs = 0;
    qint64 nStartCpuNs = 0;
    QTimer::singleShot(kSettleMs, &app, [&] {
        nStartNs = MonotonicNs();
        nStartCpuNs = ProcessCpuNs();
        ticker.start(kWatchTickMs);
        QTimer::singleShot(static_cast<int>(dSeconds * 1000), &app, &QCoreApplication::quit);
    });
    QApplication::exec();
    const qint64 nCpuNs = ProcessCpuNs() - nStartCpuNs;
    const qint64 nWallNs = MonotonicNs() - nStartNs;

    Figure figure;
    figure.strName = QStringLiteral("a bare dialog showing a new text every 50 ms");
    figure.strUnit = QStringLiteral("% core");
    figure.summary = Summarize({100.0 * static_cast<double>(nCpuNs) / static_cast<double>(nWallNs)});
    figure.strTarget = QStringLiteral("(floor)");
    const QStringList notes = {QStringLiteral("The display floor showed %1 texts: laying out and painting one field "
                                              "at every watch tick, with nothing received.")
                                   .arg(nTick)};
    if (!options.WriteFigures(options.Out(), QStringLiteral("report stream, floor of the display"), {figure}, notes))
        return 1;
    return 0;
}
