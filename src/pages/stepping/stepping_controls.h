#pragma once

class CFrequencyTrace;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableView;
class QWidget;

// The controls of the "stepping" page, laid out on it. Each field's
// accessible name is the text of its label; tab order follows the layout.
struct SteppingControls {
    QComboBox* cmbSpacing;
    QFormLayout* formSettings;
    QLineEdit* editStartFreq;
    QLineEdit* editEndFreq;
    QSpinBox* spinPoints;
    // The table and its buttons.
    QWidget* widgetList;
    QTableView* tablePoints;
    QPushButton* btnAddPoint;
    QPushButton* btnRemovePoint;
    QPushButton* btnLoad;
    QPushButton* btnSave;
    QLineEdit* editAmplitude;
    QLineEdit* editDwell;
    QSpinBox* spinRepeat;
    QPushButton* btnStart;
    QPushButton* btnPause;
    QPushButton* btnStop;
    QProgressBar* progressRun;
    QLabel* lblTimeLeft;
    CFrequencyTrace* trace;
};

// Items of the spacing list, in order.
enum SpacingItem { kLogarithmicItem, kListItem };

SteppingControls BuildSteppingControls(QWidget* pPage);
// Shows the fields of one kind of spacing, hiding the other's.
void ShowSpacingFields(const SteppingControls& controls, int nItem);
