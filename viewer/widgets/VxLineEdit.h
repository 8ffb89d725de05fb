#pragma once

#include <QPointer>
#include <QWidget>

class PopWidget;
class QIntValidator;
class VxLineEditBase;
class VxSlider;

namespace Ui {
class VxLineEdit;
}

// An integer field with a slider that pops up below it while the mouse is over the field.
class VxLineEdit : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kPopupHeight = 20;
    static constexpr int kOwnedPopupHeight = 30;
    static constexpr int kOwnedPopupGap = 5;

    explicit VxLineEdit(QWidget* parent = nullptr);
    ~VxLineEdit() override;

    VxLineEditBase* lineEdit() const;
    VxSlider* slider() const { return m_slider; }
    PopWidget* popup() const { return m_popup; }

    void setRange(int minimum, int maximum);
    void setValue(int value);
    int value() const;
    // A larger widget this field is part of: its popup is then taller and set off by a gap.
    void setOwnerWidget(QWidget* owner) { m_owner = owner; }

Q_SIGNALS:
    void textEdited(const QString& text);
    void textFinished(const QString& text);

public Q_SLOTS:
    // "Hoverd" is the interface's own spelling, kept on purpose.
    void slotMouseHoverd(bool hovered);

private:
    void placePopup();
    void hidePopupUnlessHovered();

    Ui::VxLineEdit* m_ui;
    PopWidget* m_popup;
    VxSlider* m_slider;
    QIntValidator* m_validator;
    QPointer<QWidget> m_owner;
};
