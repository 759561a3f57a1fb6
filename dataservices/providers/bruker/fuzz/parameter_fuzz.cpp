// Parameter files: whatever the bytes, reading ends, every typed getter of
// every parameter answers within its type's range, and the same bytes read
// as a data-source string parse within the field and string limits.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "bruker.h"
#include "brukerdataio.h"
#include "ksfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = ks::fuzz::writeInput(data, size, "acqus");
    CBruker parameters;
    if (!ReadParameterFile(std::wstring(path.begin(), path.end()), parameters))
        std::abort();  // a regular file always opens
    for (const CBruker::Definition* d : parameters.Definitions()) {
        LONG number = 0;
        double real = 0;
        std::wstring text;
        parameters.GetInteger(d->name, number);
        if (parameters.GetDouble(d->name, real) && !std::isfinite(real))
            std::abort();
        if (parameters.GetString(d->name, text) != (d->type == BrukerText && !d->value.empty()))
            std::abort();
        if (parameters.GetBinaryFlag(d->name, number) && number != 0 && number != 1)
            std::abort();
        if (parameters.GetCalibrationMethod(d->name, number) && (number < 0 || number > 3))
            std::abort();
        if (parameters.GetYesNo(d->name, number) && number != 0 && number != 1)
            std::abort();
        if (parameters.GetDetectionMode(d->name, number) && number != 0 && number != 1)
            std::abort();
        if (d->value.size() > kBrukerMaxLine)
            std::abort();
    }

    std::wstring source;
    for (size_t i = 0; i < size; ++i)
        source.push_back(static_cast<wchar_t>(data[i]));
    BrukerDataSource fields;
    if (ParseDataSource(source, fields)) {
        if (source.size() > kBrukerMaxDataSource)
            std::abort();
        for (const std::wstring* f : {&fields.className, &fields.folder, &fields.expno, &fields.procno})
            if (f->size() > kBrukerMaxDataSourceField || f->find(L';') != std::wstring::npos)
                std::abort();
    }
    return 0;
}
