// A table definition: made on an open database, given its fields in
// order, and appended to the database as a new table.
#pragma once

#include "daodb.h"
#include "daoengine.h"

class CDaoTableDef : public CObject {
public:
    explicit CDaoTableDef(CDaoDatabase* pDatabase);
    ~CDaoTableDef() override;
    CDaoTableDef(const CDaoTableDef&) = delete;
    CDaoTableDef& operator=(const CDaoTableDef&) = delete;

    void Create(LPCWSTR lpszName, LONG lAttributes = 0);
    void CreateField(LPCWSTR lpszName, short nType, LONG lSize, LONG lAttributes = 0);
    // Makes the table in the database.
    void Append();
    void Close();
    BOOL IsOpen() const { return m_bOpen; }

    CDaoDatabase* m_pDatabase;

private:
    bool m_bOpen = false;
    std::wstring m_name;
    std::vector<aldoven::FieldDef> m_fields;
};
