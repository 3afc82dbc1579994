#pragma once

#include "companions/mainset.h"

class MainForm;

// What the settings dialog reaches of the main window and the mini window.
[[nodiscard]] mainset::Host settingsHost(MainForm& main);
