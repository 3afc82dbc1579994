#pragma once

#include <QString>

// Values taken from the service configuration at start-up.

// News keywords: a comma list; an item of two words joined by "|" needs both words.
inline QString NewsKeywords;
