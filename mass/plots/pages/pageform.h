// Small builders of the property forms: widgets and layouts get the
// object names the forms are known by (tests and style sheets find them).
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QProxyStyle>
#include <QString>
#include <QStyleOptionGroupBox>

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

// Group titles drawn whole. The application's style may size a group's
// title by its ink, which is narrower than the advance the text is drawn
// with, and then cuts the title's last letter ("Show Second Line Label"
// read "...Labe"): the title's rectangle gets the text's advance, within
// the group.
class GroupTitleStyle : public QProxyStyle {
public:
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override
    {
        QRect r = QProxyStyle::subControlRect(control, option, sub, widget);
        const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (control != CC_GroupBox || sub != SC_GroupBoxLabel || !box || r.isEmpty())
            return r;
        const int needed = box->fontMetrics.size(Qt::TextShowMnemonic, box->text).width() + 2;
        if (r.width() >= needed)
            return r;
        if (option->direction == Qt::RightToLeft)
            r.setLeft(qMax(option->rect.left(), r.right() - needed + 1));
        else
            r.setRight(qMin(option->rect.right(), r.left() + needed - 1));
        return r;
    }
};

// Gives every group box of the form the title style (one per form, a
// child of it); forms call it once their groups are made, again for
// groups a derived form adds.
inline void fitGroupTitles(QWidget* form)
{
    auto* style = form->findChild<GroupTitleStyle*>(QString(), Qt::FindDirectChildrenOnly);
    if (!style) {
        style = new GroupTitleStyle;
        style->setParent(form);
    }
    for (QGroupBox* box : form->findChildren<QGroupBox*>()) {
        if (box->style() != style)
            box->setStyle(style);
    }
}

}  // namespace pageform
