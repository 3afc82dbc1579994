#pragma once

// Twips per pixel across and down: positions the program keeps in twips are divided by these.
inline int TwipsX = 15;
inline int TwipsY = 15;
