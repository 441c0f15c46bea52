#pragma once

#include <QString>

#include <functional>

// Starts a downloaded set-up program of the product, detached from this
// one. The set-up is a Windows program: on any other system nothing is
// started and the start fails.
class SetupProgram
{
public:
    SetupProgram() = delete;

    // True when the program was started.
    static bool Start(const QString& path);

    // For tests only: starts in place of the system; an empty function
    // restores it.
    using Launcher = std::function<bool(const QString& path)>;
    static void SetLauncher(Launcher launcher);
};
