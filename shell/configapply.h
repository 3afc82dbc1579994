#pragma once

#include "common/config.h"

#include <QString>

#include <functional>

// What applying the configuration needs of the login window and the user. The login window
// installs the real dialogs; tests install fakes.
struct ConfigApplyUi {
    std::function<bool(const QString& question)> askRetry;            // Yes/No, question icon
    std::function<void(const QString& text, const QString& title)> info;  // OK box, information
    std::function<void(const QString& text)> stepFailed;              // OK box naming the error
    std::function<void(const QString& text, const QString& title)> newVersionNotice; // modeless
    std::function<void()> hideLoginWindow;
    std::function<void()> unloadLoginWindow;
    std::function<void()> enableLoginButtons;
    std::function<void()> startUpdate;                                // UpdateMe
};

// Downloads and applies the service configuration: retired and new versions, the page addresses,
// the data and user servers, the timings. Does nothing once it has completed.
void applyConfiguration(const ConfigApplyUi& ui);

// The key table alone, on the configuration already loaded; each failing step is reported through
// `stepFailed` as "<number>:<description> GetCon." and the next step runs.
void applyConfigKeys(const std::function<void(const QString& text)>& stepFailed);

// Addresses the configuration may leave out (the service address: defaultServiceUrl()).
[[nodiscard]] QString defaultForumUrl();
[[nodiscard]] QString productHomePage();
