#pragma once

#include "ui_about_dlg.h"

#include <QDialog>

// "关于 Orrel": has no handlers of its own.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* pParent = nullptr);

private:
    Ui::CAboutDlg m_ui;
};
