// The Compass provider's description: the provider offers no reading
// services; analyses are read through its data server.
#include "ksbrukercompassprovider.h"

CKSBrukerCompassProvider::CKSBrukerCompassProvider()
{
    m_strClassID = L"{d3bf73aa-aa0d-46e7-b1a9-fc955ee1ed83}";
    m_strClassName = PROGID_KSBrukerCompassProvider;
    m_strCopyright = L"Copyright (c) Kestrom, Inc.";
    m_strMenuName = L"Bruker Compass";
    m_strSupplier = L"Kestrom, Inc.";
    m_strVersion = L"1.00";
    m_lProviderFlags = 0;
    m_strDataServerClassID = L"{5eeaeb68-09f2-4f89-8a5e-339865772961}";
    m_strFilterString = L"Bruker Compass (fid *.baf)";
}
