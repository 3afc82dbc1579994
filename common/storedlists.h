#pragma once

#include "state/storedlists.h"

// Loading and saving of the stored lists in set.ini.

void LoadTx();
void SaveTx();
void LoadExt();
void CountExt();
void LoadHoldings();
