// A command button as on Windows: pressed by the space bar and, while it has the focus, by Enter.
#pragma once

#include <QPushButton>

class CommandButton : public QPushButton {
    Q_OBJECT

public:
    explicit CommandButton(const QString& caption, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
