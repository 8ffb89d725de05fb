#pragma once

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
};
