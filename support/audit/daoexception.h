// The error the database classes raise. It is thrown by value; the
// operations that let it through to callers say so.
#pragma once

#include "aldovenapi.h"
#include "kstypes.h"

#include <exception>
#include <string>

// Error numbers of the database classes.
enum : LONG {
    kDaoErrGeneral = 3000,          // an engine failure without a more specific number
    kDaoErrNoCurrentRecord = 3021,  // a move or read without a current record
    kDaoErrFileNotFound = 3024,     // the database file does not exist
    kDaoErrFileInUse = 3045,        // another opener holds the file
    kDaoErrTableNotFound = 3078,    // the named table does not exist
    kDaoErrFieldTooSmall = 3163,    // a text is longer than its field
    kDaoErrAlreadyExists = 3204,    // creating a database over an existing file
    kDaoErrNotFound = 3265,         // a name or index not in a collection
    kDaoErrNotOpen = 3420,          // the object is closed
    kDaoErrFormat = 3343,           // not a database of ours, damaged or keyed otherwise
    kDaoErrNotUpdatable = 3027,     // a change on a record set not in add mode
};

class ALDOVEN_API CDaoException : public std::exception {
public:
    CDaoException(LONG errorCode, std::wstring description);
    ~CDaoException() override;

    LONG GetErrorCode() const { return m_lErrorCode; }
    const std::wstring& GetDescription() const { return m_strDescription; }
    // The description in UTF-8.
    const char* what() const noexcept override;

private:
    LONG m_lErrorCode;
    std::wstring m_strDescription;
    std::string m_what;
};
