#include "SetupProgram.h"

#include <QProcess>
#include <QStringList>

namespace {

SetupProgram::Launcher& launcher()
{
    static SetupProgram::Launcher installed;
    return installed;
}

} // namespace

bool SetupProgram::Start(const QString& path)
{
    if (launcher())
        return launcher()(path);
#ifdef Q_OS_WIN
    return QProcess::startDetached(path, QStringList());
#else
    Q_UNUSED(path)
    return false;
#endif
}

void SetupProgram::SetLauncher(Launcher launcher)
{
    ::launcher() = std::move(launcher);
}
