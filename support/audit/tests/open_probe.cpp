// Tries to open an audit database the way a second application would and
// says whether it could: "opened" (exit 0) or "refused" (exit 1).
#include "qeldatabase.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const std::string name = argv[1];
    const std::wstring wide(name.begin(), name.end());
    CqelDatabase db;
    const bool opened = db.openDatabase(CString(wide.c_str()), eNoTable, false) && db.GetDaoDatabase()->IsOpen();
    std::puts(opened ? "opened" : "refused");
    return opened ? 0 : 1;
}
