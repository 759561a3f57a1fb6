#include "zylvirconvert.h"

#include <cstring>

namespace zylvir {

using namespace rawengine;

void initializeScanEvent(MS_ScanEvent& e)
{
    e.bIsValid = 1;
    e.eScanData = MS_AcceptAnyScanData;
    e.ePolarity = MS_AnyPolarity;
    e.eMSOrder = MS_AcceptAnyMSorder;
    e.eDependent = MS_AcceptAnyDep;
    e.eWideband = MS_AcceptAnyWideband;
    e.bCustom = 0;
    e.eSourceCID = MS_AcceptAnySourceCID;
    e.eScanType = MS_AcceptAnyScanType;
    e.eTurboScan = MS_AcceptAnyTurboScan;
    e.eIonizationMode = MS_AcceptAnyIonizationMode;
    e.eCorona = MS_AcceptAnyCorona;
    e.eDetector = MS_AcceptAnyDetector;
    e.dDetectorValue = 0.0;
    e.eSourceCIDType = MS_AcceptAnySourceCIDType;
    e.nlScanTypeIndex = -1;
    e.nNumMassRanges = 0;
    e.nNumPrecursorMasses = 0;
    e.nNumSourceFragmentationEnergies = 0;
    std::memset(e.arrPrecursorEnergiesValid, 0, sizeof e.arrPrecursorEnergiesValid);
    std::memset(e.arrSourceFragmentationEnergiesValid, 0, sizeof e.arrSourceFragmentationEnergiesValid);
}

namespace {

Tri onOff(bool on) { return on ? Tri::On : Tri::Off; }

bool countFits(LONG count, LONG capacity) { return count >= 0 && count <= capacity; }

}  // namespace

HRESULT toEngineEvent(const MS_ScanEvent& in, CScanEvent& out)
{
    if (!countFits(in.nNumMassRanges, MS_MAX_NUM_MASS_RANGES) ||
        !countFits(in.nNumPrecursorMasses, MS_MAX_NUM_PRECURSORS) ||
        !countFits(in.nNumSourceFragmentationEnergies, MS_MAX_NUM_SOURCE_FRAGMENTATION_ENERGIES))
        return E_INVALIDARG;

    CScanEvent e;
    e.polarity = in.ePolarity == MS_Positive ? Polarity::Positive : Polarity::Negative;
    e.dataForm = in.eScanData == MS_Profile ? DataForm::Profile : DataForm::Centroid;

    switch (in.eIonizationMode) {
    case MS_Electrospray:
        e.ionization = Ionization::ESI;
        break;
    case MS_AtmosphericPressureChemicalIonization:
        e.ionization = Ionization::APCI;
        switch (in.eCorona) {
        case MS_CoronaOn:
            e.corona = Tri::On;
            break;
        case MS_CoronaOff:
            e.corona = Tri::Off;
            break;
        default:
            e.corona = Tri::Any;
            break;
        }
        break;
    case MS_Nanospray:
        e.ionization = Ionization::NSI;
        break;
    default:
        break;
    }

    if (in.eSourceCID == MS_SourceCIDon && in.nNumSourceFragmentationEnergies == 1 &&
        in.arrSourceFragmentationEnergiesValid[0] != 0) {
        e.sourceCID = Tri::On;
        e.sourceCIDValueValid = true;
        e.sourceCIDValue = in.arrSourceFragmentationEnergies[0];
    }

    // "On" is 0 in the record's enumeration.
    e.turbo = onOff(in.eTurboScan == MS_TurboScanOn);
    e.dependent = onOff(in.eDependent == MS_Dependent);
    e.wideband = onOff(in.eWideband == MS_WidebandOn);
    e.custom = onOff(in.bCustom != 0);

    if (in.eScanType >= MS_Fullsc && in.eScanType <= MS_CRMsc)
        e.scanType = static_cast<ScanType>(in.eScanType);

    const LONG order = in.eMSOrder;
    if ((order >= 1 && order <= MS_MAX_MS_ORDER) || (order >= kOrderParent && order <= kOrderNeutralLoss))
        e.msOrder = static_cast<int8_t>(order);

    e.reactions.resize(size_t(in.nNumPrecursorMasses));
    for (size_t i = 0; i < e.reactions.size(); ++i) {
        e.reactions[i].precursorMass = in.arrPrecursorMasses[i];
        if (in.arrPrecursorEnergiesValid[i] != 0) {
            e.reactions[i].energyValid = true;
            e.reactions[i].energy = in.arrPrecursorEnergies[i];
        }
    }
    e.massRanges.resize(size_t(in.nNumMassRanges));
    for (size_t i = 0; i < e.massRanges.size(); ++i)
        e.massRanges[i] = MassRange{in.arrMassRanges[i].dLowMass, in.arrMassRanges[i].dHighMass};

    e.valid = true;
    out = std::move(e);
    return S_OK;
}

CInstID identity(const wchar_t* name, const wchar_t* model, const wchar_t* serialNumber,
                 const wchar_t* softwareVersion)
{
    CInstID id;
    if (given(name))
        id.name = name;
    if (given(model))
        id.model = model;
    if (given(serialNumber))
        id.serialNumber = serialNumber;
    if (given(softwareVersion))
        id.softwareVersion = softwareVersion;
    return id;
}

ScanIndex toEngineIndex(const MS_ScanIndex& in)
{
    ScanIndex out;  // zeroed
    out.dataOffset = in.nDataOffset;
    out.trailerOffset = in.nTrailerOffset;
    out.scanTypeIndex = in.nScanTypeIndex;
    out.scanNumber = in.nScanNumber;
    out.packetType = uint32_t(in.nPacketType);
    out.numPackets = uint32_t(in.nNumberPackets);
    out.startTime = in.dStartTime;
    out.tic = in.dTIC;
    out.basePeakIntensity = in.dBasePeakIntensity;
    out.basePeakMass = in.dBasePeakMass;
    out.lowMass = in.dLowMass;
    out.highMass = in.dHighMass;
    return out;
}

UVScanIndex toEngineUVIndex(const MS_UVScanIndex& in)
{
    UVScanIndex out;  // zeroed: limits, frequency and uniform time are the engine's
    out.packetType = uint32_t(in.nPacketType);
    out.numberOfChannels = uint32_t(in.nNumberOfChannels);
    out.startTime = in.dStartTime;
    out.tic = in.dTIC;
    return out;
}

DataPeak toEnginePeak(const MS_DataPeak& in)
{
    DataPeak out;  // zeroed: flags and the reserved bytes
    out.intensity = in.dIntensity;
    out.position = in.dPosition;
    out.basePeak = in.fBasePeak;
    out.scan = in.nScan;
    return out;
}

}  // namespace zylvir
