#pragma once

#include <QString>

#include <functional>

// What the swap needs of the world; the start-up gate installs the real ones, tests fakes.
struct UpdateSwapEnv {
    std::function<void(int ms)> pause;
    std::function<void(const QString& text, const QString& title)> errorBox;
    std::function<bool(const QString& program, const QString& workDir)> start;
};

// When this copy is the updater ("otemp") and a downloaded "newfile" waits in the program folder:
// replaces "brelto" with it (four tries a second apart for each step), starts the new program and
// answers true: this process must end. False when there is nothing to swap.
bool runUpdateSwap(const QString& programFolder, const QString& runningBaseName, const UpdateSwapEnv& env);
