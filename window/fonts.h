// The installed faces that stand in for the window's faces where the system lacks them.
#pragma once

// Registers a stand-in for each of the window's faces that the system lacks; calling it again does no harm.
void registerFontStandIns();
