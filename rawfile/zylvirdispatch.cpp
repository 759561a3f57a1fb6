// The member tables of the two writers (DISPIDs 1 to 29 and 1 to 11). The
// members that take records or byte buffers reach the class's late-bound
// forms, which take byte arrays: the dispatch carries no records or raw
// pointers. Each table serves the one class that implements its interface.
#include "zylvirms.h"
#include "zylviruv.h"

KS_DISPATCH_TABLE(IZylVirMS)
{
    static const ks::DispTable table{
        {
            ks::dispMethod(L"Create", 1, &IZylVirMS::Create),
            ks::dispMethod(L"Close", 2, &IZylVirMS::Close),
            ks::dispMethod(L"GetFileName", 3, &IZylVirMS::GetFileName),
            ks::dispGet(L"IsError", 4, &IZylVirMS::get_IsError),
            ks::dispGet(L"ErrorCode", 5, &IZylVirMS::get_ErrorCode),
            ks::dispGet(L"IsValid", 6, &IZylVirMS::get_IsValid),
            ks::dispMethod(L"WriteInstID", 7, &IZylVirMS::WriteInstID),
            ks::dispMethod(L"WriteRunHeaderInfo", 8, &IZylVirMS::WriteRunHeaderInfo),
            ks::dispMethod(L"WriteInstData", 9, &CZylVirMS::WriteInstDataFromArray),
            ks::dispMethod(L"SetTrailerHeaderNumFields", 10, &IZylVirMS::SetTrailerHeaderNumFields),
            ks::dispMethod(L"SetTrailerHeaderField", 11, &IZylVirMS::SetTrailerHeaderField),
            ks::dispMethod(L"WriteTrailerHeader", 12, &IZylVirMS::WriteTrailerHeader),
            ks::dispMethod(L"SetStatusLogHeaderNumFields", 13, &IZylVirMS::SetStatusLogHeaderNumFields),
            ks::dispMethod(L"SetStatusLogHeaderField", 14, &IZylVirMS::SetStatusLogHeaderField),
            ks::dispMethod(L"WriteStatusLogHeader", 15, &IZylVirMS::WriteStatusLogHeader),
            ks::dispMethod(L"SetTuneDataHeaderNumFields", 16, &IZylVirMS::SetTuneDataHeaderNumFields),
            ks::dispMethod(L"SetTuneDataHeaderField", 17, &IZylVirMS::SetTuneDataHeaderField),
            ks::dispMethod(L"WriteTuneDataHeader", 18, &IZylVirMS::WriteTuneDataHeader),
            ks::dispMethod(L"WriteTuneData", 19, &CZylVirMS::WriteTuneDataFromArray),
            ks::dispMethod(L"WriteStatusLog", 20, &CZylVirMS::WriteStatusLogFromArray),
            ks::dispMethod(L"WriteTrailer", 21, &CZylVirMS::WriteTrailerFromArray),
            ks::dispMethod(L"InitializeScanEvent", 22, &CZylVirMS::InitializeScanEventInArray),
            ks::dispMethod(L"InitMethodScanEvents", 23, &IZylVirMS::InitMethodScanEvents),
            ks::dispMethod(L"SetMethodScanEvent", 24, &CZylVirMS::SetMethodScanEventFromArray),
            ks::dispMethod(L"WriteMethodScanEvents", 25, &IZylVirMS::WriteMethodScanEvents),
            ks::dispMethod(L"WriteScanIndex", 26, &CZylVirMS::WriteScanIndexFromArrays),
            ks::dispMethod(L"WriteInstData2", 27, &CZylVirMS::WriteInstData2FromArray),
            ks::dispMethod(L"InitializeScanIndex", 28, &IZylVirMS::InitializeScanIndex),
            ks::dispMethod(L"WriteScanIndex2", 29, &CZylVirMS::WriteScanIndex2FromArray),
        }};
    return table;
}

KS_DISPATCH_TABLE(IZylVirUV)
{
    static const ks::DispTable table{
        {
            ks::dispMethod(L"Create", 1, &IZylVirUV::Create),
            ks::dispMethod(L"Close", 2, &IZylVirUV::Close),
            ks::dispMethod(L"GetFileName", 3, &IZylVirUV::GetFileName),
            ks::dispGet(L"IsError", 4, &IZylVirUV::get_IsError),
            ks::dispGet(L"ErrorCode", 5, &IZylVirUV::get_ErrorCode),
            ks::dispGet(L"IsValid", 6, &IZylVirUV::get_IsValid),
            ks::dispMethod(L"WriteErrorLog", 7, &IZylVirUV::WriteErrorLog),
            ks::dispMethod(L"WriteInstID", 8, &IZylVirUV::WriteInstID),
            ks::dispMethod(L"WriteRunHeaderInfo", 9, &IZylVirUV::WriteRunHeaderInfo),
            ks::dispMethod(L"WriteInstData", 10, &CZylVirUV::WriteInstDataFromArray),
            ks::dispMethod(L"WriteScanIndex", 11, &CZylVirUV::WriteScanIndexFromArray),
        }};
    return table;
}
