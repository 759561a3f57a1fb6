// Helpers of the page tests: widgets found by object name, a font widget
// on a device whose resolution the test sets, and PNGs of widgets in the
// test's build folder.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QWidget>

#include "wfontwidget.h"

namespace pagestest {

// The named child, failing the test when there is none.
template <class T>
T* child(const QWidget* parent, const char* name)
{
    T* w = parent->findChild<T*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// A font widget whose device reports the horizontal physical resolution
// `dpi` (the offscreen screen reports 100).
class DpiFontWidget : public WFontWidget {
public:
    explicit DpiFontWidget(int dpi) : m_dpi(dpi) {}

protected:
    int metric(PaintDeviceMetric m) const override
    {
        return m == PdmPhysicalDpiX ? m_dpi : WFontWidget::metric(m);
    }

private:
    int m_dpi;
};

// Writes the widget's picture to <build folder>/<name>.png; answers
// whether it was written.
bool grabToPng(QWidget* widget, const QString& name);

}  // namespace pagestest
