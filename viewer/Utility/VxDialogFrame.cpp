#include "VxDialogFrame.h"

#include "WidgetWindowAgent.h"

#include <QDialog>

void VxDialogFrame::setUp(QDialog* dialog, QWK::WidgetWindowAgent* agent, QWidget* titleBar,
                          QWidget* closeButton)
{
    dialog->setModal(true);
    dialog->setAttribute(Qt::WA_TranslucentBackground);
    agent->setup(dialog);
    agent->setTitleBar(titleBar);
    agent->setSystemButton(QWK::WindowAgentBase::Close, closeButton);
    agent->setResizeEnabled(false);
}
