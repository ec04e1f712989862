#include "cli/cli_run.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vevevar-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VEVEVAR_VERSION));
    return RunCli(QCoreApplication::arguments());
}
