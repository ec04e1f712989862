// The floor of the stack: an empty Qt 6 dialog with two tabs, the size of
// the main window, started and measured the same way as the program.
#include <QApplication>
#include <QDialog>
#include <QTabWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Empty dialog"));
    dialog.setFixedSize(552, 538);
    auto* pTabs = new QTabWidget(&dialog);
    pTabs->setGeometry(10, 10, 531, 328);
    pTabs->addTab(new QWidget, QStringLiteral("first"));
    pTabs->addTab(new QWidget, QStringLiteral("second"));
    dialog.show();
    return QApplication::exec();
}
