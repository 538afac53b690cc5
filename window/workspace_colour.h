// The application-workspace colour, the background of the window and of its labels.
#pragma once

class QWidget;

// Makes `widget` paint its whole rectangle in the application-workspace colour of the user's scheme,
// the same whether the window is active, inactive or disabled. The colour is looked up by this call,
// so call it again when the scheme changes (ThemeChange, ApplicationPaletteChange); a call that changes
// nothing raises no event.
void paintInWorkspaceColour(QWidget& widget);
