#include "ShowImageForm.h"
#include "ui_ShowImageForm.h"

#include "VxGraphicsView.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>

ShowImageForm::ShowImageForm(QWidget* parent)
    : QWidget(parent), m_ui(new Ui::ShowImageForm), m_scene(new QGraphicsScene(this))
{
    m_ui->setupUi(this);
    m_item = m_scene->addPixmap(QPixmap(1280, 720));
    m_item->setTransformationMode(Qt::SmoothTransformation);
    m_scene->setSceneRect(m_item->boundingRect());
    m_ui->graphicsView->setScene(m_scene);
    setBackgroundColor(m_background);
}

void ShowImageForm::setBackgroundColor(const QColor& colour)
{
    m_background = colour;
    // The scene's background fills the whole view, the bars beside the picture included.
    m_ui->graphicsView->setBackgroundBrush(colour);
    if (m_blank) {
        QPixmap blank(m_item->pixmap().size());
        blank.fill(colour);
        m_item->setPixmap(blank);
    }
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
    m_blank = false;
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
