#include "dialogtest.h"

#include <QFileInfo>
#include <QImage>

namespace dialogtest {

const char* const kRun =
    "kestrom-run 1\n"
    "injection name=\"A\"\n"
    "function name=\"MS+\" type=1 polarity=1 scans=10 start=0 step=0.1 low=50 high=2000\n"
    "function name=\"MS-\" type=1 polarity=2 scans=10 start=0 step=0.1 low=50 high=2000\n"
    "compound function=1 apex=0.5 width=0.1 height=1000 peaks=50:20,195.0877:100,2000:10\n";

void writePicture(QDialog& dialog, const char* name)
{
    dialog.show();
    const QImage image = dialog.grab().toImage();
    dialog.hide();
    const QString path = QStringLiteral(KS_BINARY_DIR "/") + QString::fromLatin1(name) + QStringLiteral(".png");
    EXPECT_FALSE(image.isNull()) << name;
    EXPECT_TRUE(image.save(path)) << path.toStdString();
    EXPECT_TRUE(QFileInfo(path).size() > 0) << path.toStdString();
}

TCanvasMass* DialogTest::importRun()
{
    return import(writeCaseFile("dialogs.run", kRun), itemtest::kRunProviderId);
}

}  // namespace dialogtest
