// What the program sets on the application before its window opens.
#pragma once

// Gives the application its version ("1.00") and its icon, which every window then shows.
void setUpApplication();
