// The ion-trap provider's description: the provider offers no reading
// services; datasets are read through its data server.
#include "ksagilentprovider.h"

CKSAgilentIonTrapProvider::CKSAgilentIonTrapProvider()
{
    m_strClassID = L"{2d7fc2cd-1b59-4c3f-b4ba-b585a519a9df}";
    m_strClassName = PROGID_KSAgilentIonTrapProvider;
    m_strCopyright = L"Copyright (c) Kestrom, Inc.";
    m_strMenuName = L"AgilentIonTrap";
    m_strSupplier = L"Kestrom, Inc.";
    m_strVersion = L"1.00";
    m_lProviderFlags = 0;
    m_strDataServerClassID = L"{282e6320-a2a0-44b3-ac02-8ca8fa1da51c}";
}
