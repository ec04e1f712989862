#include "pages/stepping/stepping_controls.h"

#include "pages/stepping/frequency_trace.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int kMostPoints = 10000;
constexpr int kMostRepeats = 1000000;

template <typename Field>
Field* Named(Field* pField, const QString& strName, const char* pszObjectName)
{
    pField->setAccessibleName(strName);
    pField->setObjectName(QString::fromLatin1(pszObjectName));
    return pField;
}

QPushButton* Button(const QString& strCaption, const char* pszObjectName)
{
    auto* pButton = Named(new QPushButton(strCaption), strCaption, pszObjectName);
    pButton->setAutoDefault(false);
    return pButton;
}

// A field under its label, which names it for screen readers.
template <typename Field>
Field* AddLabelled(QFormLayout* pForm, const QString& strLabel, Field* pField, const char* pszObjectName)
{
    Named(pField, strLabel, pszObjectName);
    auto* pLabel = new QLabel(strLabel);
    pLabel->setBuddy(pField);
    pForm->addRow(pLabel, pField);
    return pField;
}

} // namespace

SteppingControls BuildSteppingControls(QWidget* pPage)
{
    SteppingControls c{};
    auto* pSettings = new QFormLayout;
    pSettings->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    c.cmbSpacing = AddLabelled(pSettings, QStringLiteral("Spacing"), new QComboBox, "cmbSpacing");
    c.cmbSpacing->addItems({QStringLiteral("logarithmic"), QStringLiteral("list")});
    c.editAmplitude = AddLabelled(pSettings, QStringLiteral("Amplitude(0--4V)"), new QLineEdit, "editAmplitude");
    c.editDwell = AddLabelled(pSettings, QStringLiteral("Dwell(s)"), new QLineEdit, "editDwell");
    c.spinRepeat = AddLabelled(pSettings, QStringLiteral("Repeat"), new QSpinBox, "spinRepeat");
    c.spinRepeat->setRange(0, kMostRepeats);
    c.spinRepeat->setSpecialValueText(QStringLiteral("endless"));

    auto* pLogPage = new QWidget;
    auto* pLogForm = new QFormLayout(pLogPage);
    pLogForm->setContentsMargins(0, 0, 0, 0);
    pLogForm->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    c.editStartFreq = AddLabelled(pLogForm, QStringLiteral("Start(MHz)"), new QLineEdit, "editStartFreq");
    c.editEndFreq = AddLabelled(pLogForm, QStringLiteral("End(MHz)"), new QLineEdit, "editEndFreq");
    c.spinPoints = AddLabelled(pLogForm, QStringLiteral("Points"), new QSpinBox, "spinPoints");
    c.spinPoints->setRange(2, kMostPoints);

    auto* pListPage = new QWidget;
    auto* pListLayout = new QGridLayout(pListPage);
    pListLayout->setContentsMargins(0, 0, 0, 0);
    pListLayout->setSpacing(2);
    c.tablePoints = Named(new QTableView, QStringLiteral("Point list"), "tablePoints");
    c.tablePoints->verticalHeader()->setDefaultSectionSize(18);
    c.tablePoints->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    c.tablePoints->setTabKeyNavigation(false);
    c.btnAddPoint = Button(QStringLiteral("Add"), "btnAddPoint");
    c.btnRemovePoint = Button(QStringLiteral("Remove"), "btnRemovePoint");
    c.btnLoad = Button(QStringLiteral("Load..."), "btnLoad");
    c.btnSave = Button(QStringLiteral("Save..."), "btnSave");
    pListLayout->addWidget(c.tablePoints, 0, 0, 1, 4);
    pListLayout->addWidget(c.btnAddPoint, 1, 0);
    pListLayout->addWidget(c.btnRemovePoint, 1, 1);
    pListLayout->addWidget(c.btnLoad, 1, 2);
    pListLayout->addWidget(c.btnSave, 1, 3);

    c.stackSpacing = new QStackedWidget;
    c.stackSpacing->addWidget(pLogPage);
    c.stackSpacing->addWidget(pListPage);

    auto* pLeft = new QVBoxLayout;
    pLeft->addLayout(pSettings);
    pLeft->addWidget(c.stackSpacing, 1);

    c.trace = new CFrequencyTrace;
    c.trace->setObjectName(QStringLiteral("traceFrequency"));
    auto* pMiddle = new QHBoxLayout;
    pMiddle->addLayout(pLeft, 5);
    pMiddle->addWidget(c.trace, 6);

    c.btnStart = Button(QStringLiteral("Start"), "btnStart");
    c.btnPause = Button(QStringLiteral("Pause"), "btnPause");
    c.btnStop = Button(QStringLiteral("Stop"), "btnStop");
    c.progressRun = Named(new QProgressBar, QStringLiteral("Progress"), "progressRun");
    c.progressRun->setFormat(QStringLiteral("%v of %m"));
    c.lblTimeLeft = Named(new QLabel, QStringLiteral("Time left"), "lblTimeLeft");
    c.lblTimeLeft->setMinimumWidth(c.lblTimeLeft->fontMetrics().horizontalAdvance(QStringLiteral("left 00:00:00")));
    auto* pRun = new QHBoxLayout;
    pRun->addWidget(c.btnStart);
    pRun->addWidget(c.btnPause);
    pRun->addWidget(c.btnStop);
    pRun->addWidget(c.progressRun, 1);
    pRun->addWidget(c.lblTimeLeft);

    auto* pPageLayout = new QVBoxLayout(pPage);
    pPageLayout->setContentsMargins(4, 4, 4, 4);
    pPageLayout->addLayout(pMiddle, 1);
    pPageLayout->addLayout(pRun);
    return c;
}
