#include "VxComboBox.h"
#include "ui_VxComboBox.h"

#include "VXComboBoxBase.h"

#include <QEvent>
#include <QLineEdit>
#include <QStyle>

VxComboBox::VxComboBox(QWidget* parent) : QWidget(parent), m_ui(new Ui::VxComboBox)
{
    m_ui->setupUi(this);
    // "combox" is the form's object name as style sheets and tests know it, kept on purpose.
    VXComboBoxBase* combo = m_ui->cb_combox_in_widget;
    combo->installEventFilter(this);
    if (QLineEdit* edit = combo->lineEdit()) {
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, &VxComboBox::signalLineEditTextChanged);
        connect(edit, &QLineEdit::editingFinished, this,
                [this, edit] { Q_EMIT signalLineEditEditingFinished(edit->text()); });
    }
    connect(combo, &VXComboBoxBase::popupShown, this, [this] {
        m_open = true;
        updateLook();
    });
    connect(combo, &VXComboBoxBase::popupHidden, this, [this] {
        m_open = false;
        updateLook();
    });
    updateLook();
}

VxComboBox::~VxComboBox()
{
    // The children outlive this destructor and hide their list while dying; nothing of them
    // may reach updateLook() after the form is gone.
    m_ui->cb_combox_in_widget->disconnect(this);
    m_ui->cb_combox_in_widget->removeEventFilter(this);
    if (QLineEdit* edit = lineEdit()) {
        edit->disconnect(this);
        edit->removeEventFilter(this);
    }
    delete m_ui;
}

VXComboBoxBase* VxComboBox::comboBox() const
{
    return m_ui->cb_combox_in_widget;
}

QLineEdit* VxComboBox::lineEdit() const
{
    return m_ui->cb_combox_in_widget->lineEdit();
}

bool VxComboBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        m_focused = event->type() == QEvent::FocusIn;
        updateLook();
    }
    return QWidget::eventFilter(watched, event);
}

void VxComboBox::setInputState(InputState state)
{
    m_inputState = state;
    updateLook();
}

void VxComboBox::updateLook()
{
    static const char* const kInputs[] = {"neutral", "valid", "invalid"};
    // Dynamic properties select the style sheet's rules; re-polishing applies them.
    m_ui->comboBoxWidget->setProperty("state", isActive() ? "active" : "normal");
    m_ui->comboBoxWidget->setProperty("input", kInputs[int(m_inputState)]);
    m_ui->cb_combox_in_widget->setProperty("open", m_open);
    for (QWidget* widget :
         {static_cast<QWidget*>(m_ui->comboBoxWidget), static_cast<QWidget*>(m_ui->cb_combox_in_widget)}) {
        widget->style()->unpolish(widget);
        widget->style()->polish(widget);
        widget->update();
    }
}
