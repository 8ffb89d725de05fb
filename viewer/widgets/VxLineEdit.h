#pragma once

#include <QPointer>
#include <QWidget>

class PopWidget;
class QDoubleValidator;
class VxLineEditBase;
class VxSlider;

namespace Ui {
class VxLineEdit;
}

// A number field with a slider that pops up below it while the mouse is over the field. The
// slider moves in steps from the minimum and sends its value when let go; the field shows a
// fixed number of decimals and takes only numbers inside the range.
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

    // `step` is the slider's step from `minimum`; the field shows `decimals` places.
    void setRange(double minimum, double maximum, double step = 1, int decimals = 0);
    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }
    // Shows `value` (kept inside the range) in the field and at the nearest slider step.
    void setValue(double value);
    // The value of the slider's position.
    double value() const;
    // The text the field shows for `value`.
    QString textOf(double value) const;
    // A larger widget this field is part of: its popup is then taller and set off by a gap.
    void setOwnerWidget(QWidget* owner) { m_owner = owner; }

Q_SIGNALS:
    void textEdited(const QString& text);
    void textFinished(const QString& text);

public Q_SLOTS:
    // "Hoverd" is the interface's own spelling, kept on purpose.
    void slotMouseHoverd(bool hovered);

private:
    double valueAt(int position) const;
    int positionOf(double value) const;
    void placePopup();
    void hidePopupUnlessHovered();

    Ui::VxLineEdit* m_ui;
    PopWidget* m_popup;
    VxSlider* m_slider;
    QDoubleValidator* m_validator;
    QPointer<QWidget> m_owner;
    double m_minimum = 0;
    double m_maximum = 99;
    double m_step = 1;
    int m_decimals = 0;
};
