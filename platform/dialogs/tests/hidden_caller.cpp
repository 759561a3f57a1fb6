// Built as a component is (hidden visibility, framework copies kept
// private): its questions must still reach the process's one dialog
// service and the runner a test installed there.
#include "ksdialogs.h"

namespace {

class HiddenModel : public ks::dialogs::DialogModel {
public:
    std::wstring title() const override { return L"Hidden Model"; }
    void initialize() override { value = 1; }
    void finish(INT) override { value += 10; }
    int value = 0;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) int ksDialogsHiddenCaller(int* modelValue)
{
    using namespace ks::dialogs;
    WaitCursor wait;
    HiddenModel model;
    const INT box = messageBox(L"From a component", L"Hidden", MB_YESNO | MB_ICONQUESTION);
    const INT dialog = runModal(model);
    *modelValue = model.value;
    return box * 100 + dialog;
}
