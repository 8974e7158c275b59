#include "dialogparts.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>

namespace effectsui {

QSlider* trackBar(QWidget* parent, const char* name, int min, int max, int position, int ticks, QRect geometry)
{
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(min, max);
    bar->setValue(position);
    bar->setTickPosition(QSlider::TicksBothSides);
    bar->setTickInterval(ticks);
    bar->setGeometry(geometry);
    return bar;
}

QScrollBar* scrollBar(QWidget* parent, const char* name, int min, int max, int position, QRect geometry)
{
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(min, max);
    bar->setValue(position);
    bar->setPageStep(0);
    bar->setGeometry(geometry);
    return bar;
}

QLabel* label(QWidget* parent, const char* name, QRect geometry, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    return l;
}

QLabel* heading(QWidget* parent, const char* name, QRect geometry)
{
    QLabel* l = label(parent, name, geometry);
    QFont bold = l->font();
    bold.setBold(true);
    l->setFont(bold);
    return l;
}

QPushButton* button(QWidget* parent, const char* name, QRect geometry)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(geometry);
    return b;
}

QWidget* panel(QWidget* parent, const char* name, QRect geometry)
{
    auto* w = new QWidget(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(geometry);
    return w;
}

} // namespace effectsui
