#include "ShowImageForm.h"
#include "ui_ShowImageForm.h"

#include "VxGraphicsView.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>

ShowImageForm::ShowImageForm(QWidget* parent)
    : QWidget(parent), m_ui(new Ui::ShowImageForm), m_scene(new QGraphicsScene(this))
{
    m_ui->setupUi(this);
    QPixmap blank(1280, 720);
    blank.fill(QColor(0x70, 0x70, 0x70));
    m_item = m_scene->addPixmap(blank);
    m_item->setTransformationMode(Qt::SmoothTransformation);
    m_scene->setSceneRect(m_item->boundingRect());
    m_ui->graphicsView->setScene(m_scene);
}

ShowImageForm::~ShowImageForm()
{
    delete m_ui;
}

VxGraphicsView* ShowImageForm::view() const
{
    return m_ui->graphicsView;
}

QPixmap ShowImageForm::pixmap() const
{
    return m_item->pixmap();
}

void ShowImageForm::slotShowImage(QImage image)
{
    showPixMap(QPixmap::fromImage(image));
}

void ShowImageForm::showPixMap(QPixmap pixmap)
{
    const bool resized = pixmap.size() != m_item->pixmap().size();
    m_item->setPixmap(pixmap);
    if (resized) {
        // A stream of another size (events versus frames) must be fitted anew.
        m_scene->setSceneRect(m_item->boundingRect());
        fitItem();
    }
}

void ShowImageForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    fitItem();
}

void ShowImageForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitItem();
}

void ShowImageForm::fitItem()
{
    m_ui->graphicsView->fitInView(m_item, Qt::KeepAspectRatio);
}
