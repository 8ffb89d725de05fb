#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QWidget>

class QGraphicsPixmapItem;
class QGraphicsScene;
class VxGraphicsView;

namespace Ui {
class ShowImageForm;
}

// Shows the current event image or frame, fitted into the view with its aspect ratio kept.
class ShowImageForm : public QWidget
{
    Q_OBJECT

public:
    explicit ShowImageForm(QWidget* parent = nullptr);
    ~ShowImageForm() override;

    VxGraphicsView* view() const;
    QPixmap pixmap() const;
    // The colour around the picture where the view is wider or taller than it, and of the empty
    // picture before the first one arrives.
    void setBackgroundColor(const QColor& colour);
    QColor backgroundColor() const { return m_background; }

public Q_SLOTS:
    void slotShowImage(QImage image);
    void showPixMap(QPixmap pixmap);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitItem();

    Ui::ShowImageForm* m_ui;
    QGraphicsScene* m_scene;
    QGraphicsPixmapItem* m_item;
    QColor m_background{0x70, 0x70, 0x70};
    bool m_blank = true; // no picture has been shown yet
};
