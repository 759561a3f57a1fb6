// Small builders of the property forms: widgets and layouts get the
// object names the forms are known by (tests and style sheets find them).
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QString>

#include "wcolorpicker.h"

namespace pageform {

template <class T>
T* named(T* object, const char* name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

inline QLabel* label(QWidget* parent, const char* name, const QString& text)
{
    return named(new QLabel(text, parent), name);
}

inline QCheckBox* check(QWidget* parent, const char* name, const QString& text)
{
    return named(new QCheckBox(text, parent), name);
}

// The forms' colour pickers: the standard palette, no text.
inline WColorPicker* picker(QWidget* parent, const char* name)
{
    WColorPicker* p = named(new WColorPicker(parent), name);
    p->setText(QString());
    return p;
}

}  // namespace pageform
