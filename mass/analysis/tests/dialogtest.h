// Helpers of the dialog tests: the item tests' fixture (recording host,
// test plug-in with a dataset server handler, providers registered, the
// case's settings) with generated runs, widgets found by object name, and
// the pictures written into the build folder.
#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QLayout>
#include <QString>

#include "itemtest.h"

namespace dialogtest {

// One injection: MS+ with 10 scans (a compound at scan 5 with peaks at
// m/z 50, 195.0877 and 2000) and MS- with 10 scans and no peaks at all.
extern const char* const kRun;

// The child of that name and type; fails the test when there is none.
template <class W>
W* child(const QWidget* parent, const char* name)
{
    W* widget = parent->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// Shows the dialog, writes its picture to KS_BINARY_DIR/<name>.png for a
// person to compare with the layouts, hides it again.
void writePicture(QDialog& dialog, const char* name);

class DialogTest : public itemtest::ItemTest {
protected:
    // An item over kRun.
    TCanvasMass* importRun();
};

}  // namespace dialogtest
