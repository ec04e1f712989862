#include "pages/stepping/stepping_page.h"

#include "pages/handler_guard.h"
#include "pages/message_box.h"
#include "pages/ms_comm.h"
#include "stepping/point_file.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>

namespace {

const QString kCsvFilter = QStringLiteral("Point lists (*.csv);;All files (*)");

// A field's number, or nothing with a message naming the field.
std::optional<double> FieldValue(QWidget* pPage, const QLineEdit* pField)
{
    bool bNumber = false;
    const double dValue = pField->text().trimmed().toDouble(&bNumber);
    if (bNumber)
        return dValue;
    ShowMessageBox(pPage, QStringLiteral("%1: \"%2\" is not a number").arg(pField->accessibleName(), pField->text()));
    return std::nullopt;
}

} // namespace

CSteppingPage::CSteppingPage(QWidget* pParent)
    : QWidget(pParent)
    , m_ui(BuildSteppingControls(this))
    , m_run(g_msComm)
{
    m_ui.tablePoints->setModel(&m_pointTable);
    m_ui.editStartFreq->setText(QStringLiteral("10"));
    m_ui.editEndFreq->setText(QStringLiteral("400"));
    m_ui.spinPoints->setValue(31);
    m_ui.editAmplitude->setText(QStringLiteral("1"));
    m_ui.editDwell->setText(QStringLiteral("0.1"));
    m_ui.spinRepeat->setValue(1);
    m_timerTimeLeft.setInterval(250);

    const auto operatorAction = [this](void (CSteppingPage::*pHandler)()) {
        return [this, pHandler] {
            RunGuarded(this, [this, pHandler] { (this->*pHandler)(); }, HandlerOrigin::Operator);
        };
    };
    connect(m_ui.cmbSpacing, &QComboBox::currentIndexChanged, this, &CSteppingPage::OnSpacingChanged);
    connect(m_ui.btnStart, &QPushButton::clicked, this, operatorAction(&CSteppingPage::OnStart));
    connect(m_ui.btnPause, &QPushButton::clicked, this, operatorAction(&CSteppingPage::OnPause));
    connect(m_ui.btnStop, &QPushButton::clicked, this, operatorAction(&CSteppingPage::OnStop));
    connect(m_ui.btnLoad, &QPushButton::clicked, this, &CSteppingPage::OnLoad);
    connect(m_ui.btnSave, &QPushButton::clicked, this, &CSteppingPage::OnSave);
    connect(m_ui.btnAddPoint, &QPushButton::clicked, this, &CSteppingPage::OnAddPoint);
    connect(m_ui.btnRemovePoint, &QPushButton::clicked, this, &CSteppingPage::OnRemovePoint);
    connect(&m_run, &CSteppingRun::progress, this,
            [this](int nPoint, int nPoints, double, double dMsecsLeft) { OnProgress(nPoint, nPoints, dMsecsLeft); });
    connect(&m_run, &CSteppingRun::pointDone, this, &CSteppingPage::OnPointDone);
    connect(&m_run, &CSteppingRun::pausedChanged, this, &CSteppingPage::OnPausedChanged);
    connect(&m_run, &CSteppingRun::finished, this, &CSteppingPage::OnFinished);
    // The operator's other frames end the run, as Stop does: after Close,
    // its next point would turn the output on again.
    connect(&m_run, &CSteppingRun::otherFrameSent, this, &CSteppingPage::OnStop);
    connect(&m_timerTimeLeft, &QTimer::timeout, this, &CSteppingPage::ShowTimeLeft);
    SetRunning(false);
}

void CSteppingPage::OnSpacingChanged(int nItem)
{
    ShowSpacingFields(m_ui, nItem);
}

std::optional<StepPoints> CSteppingPage::PointsFromSettings()
{
    const std::optional<double> amplitude = FieldValue(this, m_ui.editAmplitude);
    const std::optional<double> dwell = amplitude ? FieldValue(this, m_ui.editDwell) : std::nullopt;
    if (!dwell)
        return std::nullopt;
    if (m_ui.cmbSpacing->currentIndex() == kListItem) {
        StepPoints points;
        for (const PointRow& row : m_pointTable.Rows())
            points.append(
                {row.dFrequencyMHz, row.dAmplitudeVolts.value_or(*amplitude), row.dDwellSeconds.value_or(*dwell)});
        return points;
    }
    const std::optional<double> start = FieldValue(this, m_ui.editStartFreq);
    const std::optional<double> end = start ? FieldValue(this, m_ui.editEndFreq) : std::nullopt;
    if (!end)
        return std::nullopt;
    // Ends out of range are the run's to refuse, with its message.
    StepPoints points = LogSpacedPoints(*start, *end, m_ui.spinPoints->value(), *amplitude, *dwell);
    if (points.isEmpty()) {
        ShowMessageBox(this, QStringLiteral("Start and end must be above 0 MHz"));
        return std::nullopt;
    }
    return points;
}

void CSteppingPage::OnLoad()
{
    const QString strPath = QFileDialog::getOpenFileName(this, QStringLiteral("Load points"), QString(), kCsvFilter);
    if (!strPath.isEmpty())
        LoadPoints(strPath);
}

void CSteppingPage::OnSave()
{
    const QString strPath = QFileDialog::getSaveFileName(this, QStringLiteral("Save points"), QString(), kCsvFilter);
    if (!strPath.isEmpty())
        SavePoints(strPath);
}

bool CSteppingPage::LoadPoints(const QString& strPath)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        ShowMessageBox(this, QStringLiteral("Cannot read %1: %2").arg(strPath, file.errorString()));
        return false;
    }
    const PointFileReading reading = ReadPointFile(QString::fromUtf8(file.readAll()));
    if (!reading.strError.isEmpty()) {
        // The table keeps what it had.
        ShowMessageBox(this, QStringLiteral("%1, %2").arg(strPath, reading.strError));
        return false;
    }
    m_pointTable.SetRows(reading.rows);
    m_ui.cmbSpacing->setCurrentIndex(kListItem);
    return true;
}

bool CSteppingPage::SavePoints(const QString& strPath)
{
    QFile file(strPath);
    const QByteArray text = WritePointFile(m_pointTable.Rows()).toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text) || file.write(text) != text.size()) {
        ShowMessageBox(this, QStringLiteral("Cannot write %1: %2").arg(strPath, file.errorString()));
        return false;
    }
    return true;
}

void CSteppingPage::OnAddPoint()
{
    const int nRow = m_pointTable.InsertRowAfter(m_ui.tablePoints->currentIndex().row());
    const QModelIndex cell = m_pointTable.index(nRow, CPointTableModel::kFrequency);
    m_ui.tablePoints->setCurrentIndex(cell);
    m_ui.tablePoints->setFocus();
    m_ui.tablePoints->edit(cell);
}

void CSteppingPage::OnRemovePoint()
{
    const QModelIndex current = m_ui.tablePoints->currentIndex();
    if (current.isValid())
        m_pointTable.removeRows(current.row(), 1);
}
