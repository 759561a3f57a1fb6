#include "sample.h"

KS_DISPATCH_TABLE(ISample)
{
    static const ks::DispTable table{{
        ks::dispGet(L"Name", 0, &ISample::get_Name),
        ks::dispPut(L"Name", 0, &ISample::put_Name),
        ks::dispGet(L"Count", 1, &ISample::get_Count),
        ks::dispGet(L"Visible", 2, &ISample::get_Visible, {VT_BOOL}),
        ks::dispPut(L"Visible", 2, &ISample::put_Visible, {VT_BOOL}),
        ks::dispMethodRet(L"Add", 3, &ISample::Add),
        ks::dispMethod(L"Fail", 4, &ISample::Fail),
        ks::dispGet(L"Item", 5, &ISample::get_Item),
        ks::dispMethod(L"FillDirect", 6, &ISample::FillDirect),
        ks::dispGet(L"When", 7, &ISample::get_When, {VT_DATE}),
        ks::dispMethod(L"Split", 8, &ISample::Split),
        ks::dispMethodRet(L"Echo", 9, &ISample::Echo),
    }};
    return table;
}

KS_DISPATCH_TABLE(ISample2)
{
    static const ks::DispTable table{{
                                         ks::dispGet(L"Extra", 20, &ISample2::get_Extra),
                                     },
                                     &ks::dispTable<ISample>()};
    return table;
}
