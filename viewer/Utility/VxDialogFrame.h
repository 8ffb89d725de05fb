#pragma once

class QDialog;
class QWidget;

namespace QWK {
class WidgetWindowAgent;
}

// The frame every dialog of the viewer has: modal, frameless with its own title bar that moves
// it, a close button in that bar, rounded corners over a translucent background, fixed size.
class VxDialogFrame
{
public:
    static void setUp(QDialog* dialog, QWK::WidgetWindowAgent* agent, QWidget* titleBar,
                      QWidget* closeButton);
};
