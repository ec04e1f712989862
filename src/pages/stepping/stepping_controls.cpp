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
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int kMostPoints = 10000;
constexpr int kMostRepeats = 1000000;
constexpr int kSettingsWidth = 232;

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

// A field beside its label, which names it for screen readers.
template <typename Field>
Field* AddLabelled(QFormLayout* pForm, const QString& strLabel, Field* pField, const char* pszObjectName)
{
    Named(pField, strLabel, pszObjectName);
    auto* pLabel = new QLabel(strLabel);
    pLabel->setBuddy(pField);
    pForm->addRow(pLabel, pField);
    return pField;
}

QWidget* BuildPointList(SteppingControls& c)
{
    auto* pList = new QWidget;
    auto* pLayout = new QGridLayout(pList);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(2);
    c.tablePoints = Named(new QTableView, QStringLiteral("Point list"), "tablePoints");
    c.tablePoints->verticalHeader()->setDefaultSectionSize(20);
    c.tablePoints->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // Tab leaves the table, so that the keyboard reaches the buttons.
    c.tablePoints->setTabKeyNavigation(false);
    c.btnAddPoint = Button(QStringLiteral("Add"), "btnAddPoint");
    c.btnRemovePoint = Button(QStringLiteral("Remove"), "btnRemovePoint");
    c.btnLoad = Button(QStringLiteral("Load..."), "btnLoad");
    c.btnSave = Button(QStringLiteral("Save..."), "btnSave");
    pLayout->addWidget(c.tablePoints, 0, 0, 1, 4);
    pLayout->addWidget(c.btnAddPoint, 1, 0);
    pLayout->addWidget(c.btnRemovePoint, 1, 1);
    pLayout->addWidget(c.btnLoad, 1, 2);
    pLayout->addWidget(c.btnSave, 1, 3);
    return pList;
}

QLayout* BuildRunRow(SteppingControls& c)
{
    c.btnStart = Button(QStringLiteral("Start"), "btnStart");
    c.btnPause = Button(QStringLiteral("Pause"), "btnPause");
    c.btnStop = Button(QStringLiteral("Stop"), "btnStop");
    c.progressRun = Named(new QProgressBar, QStringLiteral("Progress"), "progressRun");
    c.progressRun->setFormat(QStringLiteral("%v of %m"));
    // A screen reader reads the label's own text, "left 0:12".
    c.lblTimeLeft = new QLabel;
    c.lblTimeLeft->setObjectName(QStringLiteral("lblTimeLeft"));
    c.lblTimeLeft->setMinimumWidth(c.lblTimeLeft->fontMetrics().horizontalAdvance(QStringLiteral("left 00:00:00")));
    auto* pRun = new QHBoxLayout;
    pRun->addWidget(c.btnStart);
    pRun->addWidget(c.btnPause);
    pRun->addWidget(c.btnStop);
    pRun->addWidget(c.progressRun, 1);
    pRun->addWidget(c.lblTimeLeft);
    return pRun;
}

} // namespace

SteppingControls BuildSteppingControls(QWidget* pPage)
{
    SteppingControls c{};
    c.formSettings = new QFormLayout;
    c.formSettings->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    c.formSettings->setVerticalSpacing(4);
    c.cmbSpacing = AddLabelled(c.formSettings, QStringLiteral("Spacing"), new QComboBox, "cmbSpacing");
    c.cmbSpacing->addItems({QStringLiteral("logarithmic"), QStringLiteral("list")});
    c.editStartFreq = AddLabelled(c.formSettings, QStringLiteral("Start(MHz)"), new QLineEdit, "editStartFreq");
    c.editEndFreq = AddLabelled(c.formSettings, QStringLiteral("End(MHz)"), new QLineEdit, "editEndFreq");
    c.spinPoints = AddLabelled(c.formSettings, QStringLiteral("Points"), new QSpinBox, "spinPoints");
    c.spinPoints->setRange(2, kMostPoints);
    c.widgetList = BuildPointList(c);
    c.formSettings->addRow(c.widgetList);
    c.editAmplitude = AddLabelled(c.formSettings, QStringLiteral("Amplitude(0--4V)"), new QLineEdit, "editAmplitude");
    c.editDwell = AddLabelled(c.formSettings, QStringLiteral("Dwell(s)"), new QLineEdit, "editDwell");
    c.spinRepeat = AddLabelled(c.formSettings, QStringLiteral("Repeat"), new QSpinBox, "spinRepeat");
    c.spinRepeat->setRange(0, kMostRepeats);
    c.spinRepeat->setSpecialValueText(QStringLiteral("endless"));

    auto* pSettings = new QWidget;
    pSettings->setLayout(c.formSettings);
    c.formSettings->setContentsMargins(0, 0, 0, 0);
    pSettings->setFixedWidth(kSettingsWidth);

    c.trace = new CFrequencyTrace;
    c.trace->setObjectName(QStringLiteral("traceFrequency"));
    auto* pMiddle = new QHBoxLayout;
    pMiddle->addWidget(pSettings);
    pMiddle->addWidget(c.trace, 1);

    auto* pPageLayout = new QVBoxLayout(pPage);
    pPageLayout->setContentsMargins(4, 4, 4, 4);
    pPageLayout->addLayout(pMiddle, 1);
    pPageLayout->addLayout(BuildRunRow(c));
    ShowSpacingFields(c, kLogarithmicItem);
    return c;
}

void ShowSpacingFields(const SteppingControls& controls, int nItem)
{
    const bool bLog = nItem == kLogarithmicItem;
    for (QWidget* pField : {static_cast<QWidget*>(controls.editStartFreq), static_cast<QWidget*>(controls.editEndFreq),
                            static_cast<QWidget*>(controls.spinPoints)}) {
        controls.formSettings->setRowVisible(pField, bLog);
    }
    controls.formSettings->setRowVisible(controls.widgetList, !bLog);
}
