// The application-workspace colour, the background of the window and of its labels.
#pragma once

class QWidget;

// Makes `widget` paint its whole rectangle in the application-workspace colour of the user's scheme.
void paintInWorkspaceColour(QWidget& widget);
