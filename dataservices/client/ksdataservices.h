// KSDataServices: plain classes over the data-services interfaces for
// client programs. CKSDataProvider finds and creates a provider through
// the provider server and hands out its reader and writer services as
// wrapper objects; CKSDataProviderMenu builds a popup menu of providers.
//
// Positions and indexes: CKSDataProvider::Create(UINT) and the item data
// of CKSDataProviderMenu count provider positions from 0; every spectrum,
// trace and scan index of the dataset wrappers is passed to the provider
// unchanged and counts from 1, as the interfaces do.
//
// Exceptions: every member answers with a bool or a value and lets no
// exception out, except CKSDataProvider::GetClassName and the spectrum and
// chromatogram getters of CKSMSDataset, which throw _com_error carrying
// the failing result and the interface it came from.
//
// Reference counts (callers rely on these exactly; keep them):
//
// - CKSMSDataset(IKSMSDataset2* p) ADOPTS the caller's reference of p: it
//   counts none of its own, yet its destructor releases p. Copies, copy
//   assignment and operator=(IKSMSDataset2*) count a reference of their
//   own; operator=(IKSMSDataset*) holds the result of a QueryInterface for
//   IKSMSDataset2 (null when the dataset lacks it).
// - CKSMSDataset getters taking an IDispatch* spectrum object CONSUME one
//   reference of that object when they succeed (the caller hands one over
//   and must AddRef first if it keeps using the object); when the provider
//   call fails they throw and the reference stays with the caller. Without
//   a dataset or a spectrum object they answer false and release nothing.
// - operator IDispatch*() of CKSMSDataset returns the dataset with one new
//   reference that the caller releases.
// - CKSMSDatasetReader::Read / ReadInteractive: the dataset object takes
//   its own reference of what the reader returned; the reader's reference
//   is released.
// - CKSMSDatasetWriter::Write(src, p) consumes one reference of a non-null
//   p whether the write succeeds or not.
// - CKSSpectrumReader::Read / ReadInteractive and CKSSpectrumWriter::Write /
//   WriteInteractive consume one reference of a non-null spectrum object
//   whether the call succeeds or not; a null object answers false.
// - The reader and writer wrappers (and CKSDataProvider) count a reference
//   of their own to the interface they are built over and release it when
//   destroyed; copies count their own, so copies can go in any order.
// - The wrappers that CKSDataProvider::Get...() returns are allocated for
//   the caller, who deletes them.
//
// The Direct members take a caller-owned CKSMassSpectrum (kshandles.h of
// the provider framework); its address is handed to the provider, which
// fills it in this process.
#pragma once

#include "kscontract.h"
#include "kscmenu.h"
#include "kscstring.h"

#include <string>

#define KS_DATASERVICES_API __attribute__((visibility("default")))

class CKSMassSpectrum;
class CKSMSDatasetReader;
class CKSMSDatasetWriter;
class CKSSpectrumReader;
class CKSSpectrumWriter;

// One provider, created through the provider server.
class KS_DATASERVICES_API CKSDataProvider {
public:
    CKSDataProvider();
    CKSDataProvider(const CKSDataProvider& other);
    CKSDataProvider& operator=(const CKSDataProvider& other);
    virtual ~CKSDataProvider();

    // The provider at a 0-based position of the provider list. False when
    // the provider server cannot be created (the provider held before is
    // kept), or when the position is not below Count or any call fails
    // (the object then holds no provider).
    bool Create(UINT position);
    // The first provider whose ClassName equals name exactly (letter case
    // included); failures as above.
    bool Create(const CString& name);

    // The held provider's ClassName. Throws _com_error when the call fails,
    // and with E_POINTER when no provider is held.
    CString GetClassName() const;

    // New wrappers over the provider's services (queried on the provider
    // object itself), or null without a provider or the interface. The
    // caller deletes them.
    CKSSpectrumReader* GetSpectrumReader() const;
    CKSSpectrumWriter* GetSpectrumWriter() const;
    CKSMSDatasetReader* GetMSDatasetReader() const;
    CKSMSDatasetWriter* GetMSDatasetWriter() const;

    // Data-source strings ("Provider.Id; path;"), split at the first ";".
    // The provider part, trimmed; the string unchanged when it has no ";".
    static CString ExtractProviderFromSpec(const CString& spec);
    // The text between the first ";" and the next one, trimmed; the string
    // unchanged when it has no ";" or begins with one.
    static CString ExtractPathFromSpec(const CString& spec);
    // Everything after the first ";", trimmed; the string unchanged when it
    // has no ";" or begins with one.
    static CString RemoveProviderFromSpec(const CString& spec);

private:
    IKSDataProvider* m_pProvider;
};

// A popup menu of the providers that offer given services. Used only
// through its static members.
class KS_DATASERVICES_API CKSDataProviderMenu {
public:
    // A new popup (allocated for the caller) holding, for each provider
    // whose ProviderFlags share a bit with flags, an item with its
    // MenuName, command identifier firstCommand + k (k counting the items
    // from 0) and item data = the provider's 0-based position. With a
    // parent whose sub-menu at subMenuPos exists, the item at itemPos of
    // that sub-menu is replaced by the popup under the item's text; the
    // parent then owns the menu, so detach the returned object (Detach)
    // before deleting it while the parent is in use. Null when a provider
    // server or description call fails; an empty popup when the provider
    // server cannot be created.
    static CMenu* BuildPopup(CMenu* parent, UINT subMenuPos, UINT itemPos, UINT firstCommand, ULONG flags);
    // The provider position stored with command of the popup at popupPos
    // of the sub-menu at subMenuPos of menu; -1 when a menu level is
    // missing, 0 when the popup lacks the command.
    static LONG GetProviderIndex(CMenu* menu, UINT subMenuPos, UINT popupPos, UINT command);

protected:
    CKSDataProviderMenu();
    virtual ~CKSDataProviderMenu();
};

// A dataset (IKSMSDataset2) as a dataset reader returns it.
class KS_DATASERVICES_API CKSMSDataset {
public:
    // Adopts the caller's reference of dataset (counts none of its own).
    explicit CKSMSDataset(IKSMSDataset2* dataset = nullptr);
    CKSMSDataset(const CKSMSDataset& other);
    virtual ~CKSMSDataset();

    CKSMSDataset& operator=(const CKSMSDataset& other);
    // Counts a reference of its own to dataset.
    CKSMSDataset& operator=(IKSMSDataset2* dataset);
    // Holds dataset's IKSMSDataset2 (null when it has none, or for null).
    CKSMSDataset& operator=(IKSMSDataset* dataset);
    // The dataset with a new reference for the caller; null without one.
    operator IDispatch*() const;

    // True only when the provider answers VARIANT_TRUE (-1).
    bool HasTIC() const;
    bool HasBasePeakChromatogram() const;
    bool HasTraces() const;
    // 0 without a dataset or when the call leaves nothing.
    LONG GetTraceCount() const;
    LONG GetBaseSpectrumCount() const;
    LONG GetAuxiliarySpectrumCount() const;

    // Fill a caller's spectrum object; on success one reference of it is
    // released (see the top of this file). Throw _com_error on failure.
    bool GetBaseSpectrum(LONG index, IDispatch* spectrum) const;
    bool GetBaseSpectrumRange(LONG scanStart, LONG scanEnd, IDispatch* spectrum) const;
    bool GetAuxiliarySpectrum(LONG index, IDispatch* spectrum) const;
    bool GetAuxiliarySpectrumRange(LONG scanStart, LONG scanEnd, IDispatch* spectrum) const;
    bool GetTIC(IDispatch* chromatogram) const;
    bool GetBasePeakChromatogram(IDispatch* chromatogram) const;
    bool GetTrace(LONG index, IDispatch* chromatogram) const;

    // Fill a caller's CKSMassSpectrum. Throw _com_error on failure.
    bool GetBaseSpectrumDirect(LONG index, CKSMassSpectrum& spectrum) const;
    bool GetBaseSpectrumRangeDirect(LONG scanStart, LONG scanEnd, CKSMassSpectrum& spectrum) const;
    bool GetAuxiliarySpectrumDirect(LONG index, CKSMassSpectrum& spectrum) const;
    bool GetAuxiliarySpectrumRangeDirect(LONG scanStart, LONG scanEnd, CKSMassSpectrum& spectrum) const;
    bool GetTICDirect(CKSMassSpectrum& chromatogram) const;
    bool GetBasePeakChromatogramDirect(CKSMassSpectrum& chromatogram) const;
    bool GetTraceDirect(LONG index, CKSMassSpectrum& chromatogram) const;

private:
    IKSMSDataset2* m_pDataset;
};

class KS_DATASERVICES_API CKSMSDatasetReader {
public:
    // Counts a reference of its own.
    explicit CKSMSDatasetReader(IKSMSDatasetReader* reader);
    CKSMSDatasetReader(const CKSMSDatasetReader& other);
    CKSMSDatasetReader& operator=(const CKSMSDatasetReader& other);
    virtual ~CKSMSDatasetReader();

    // On success dataset holds what was read; on failure it is emptied.
    bool Read(const std::wstring& dataSource, CKSMSDataset& dataset);
    // On failure dataset is left as it was.
    bool ReadInteractive(CKSMSDataset& dataset);
    // Empty when the call fails.
    std::wstring GetDataSourceDescription() const;

private:
    IKSMSDatasetReader* m_pReader;
};

class KS_DATASERVICES_API CKSMSDatasetWriter {
public:
    explicit CKSMSDatasetWriter(IKSMSDatasetWriter* writer);
    CKSMSDatasetWriter(const CKSMSDatasetWriter& other);
    CKSMSDatasetWriter& operator=(const CKSMSDatasetWriter& other);
    virtual ~CKSMSDatasetWriter();

    // Consumes one reference of a non-null dataset.
    bool Write(const std::wstring& dataSource, IKSMSDataset* dataset);
    // Passes an empty dataset pointer; on success dataset takes what the
    // writer left there.
    bool WriteInteractive(CKSMSDataset& dataset);

private:
    IKSMSDatasetWriter* m_pWriter;
};

class KS_DATASERVICES_API CKSSpectrumReader {
public:
    explicit CKSSpectrumReader(IKSSpectrumReader2* reader);
    CKSSpectrumReader(const CKSSpectrumReader& other);
    CKSSpectrumReader& operator=(const CKSSpectrumReader& other);
    virtual ~CKSSpectrumReader();

    // Consume one reference of a non-null spectrum object.
    bool ReadInteractive(IDispatch* spectrum);
    bool Read(const std::wstring& dataSource, IDispatch* spectrum);
    bool ReadInteractiveDirect(CKSMassSpectrum& spectrum);
    bool ReadDirect(const std::wstring& dataSource, CKSMassSpectrum& spectrum);
    std::wstring GetDataSourceDescription() const;

private:
    IKSSpectrumReader2* m_pReader;
};

class KS_DATASERVICES_API CKSSpectrumWriter {
public:
    explicit CKSSpectrumWriter(IKSSpectrumWriter2* writer);
    CKSSpectrumWriter(const CKSSpectrumWriter& other);
    CKSSpectrumWriter& operator=(const CKSSpectrumWriter& other);
    virtual ~CKSSpectrumWriter();

    // Consume one reference of a non-null spectrum object.
    bool WriteInteractive(IDispatch* spectrum);
    bool Write(const std::wstring& dataSource, IDispatch* spectrum);
    bool WriteInteractiveDirect(CKSMassSpectrum& spectrum);
    bool WriteDirect(const std::wstring& dataSource, CKSMassSpectrum& spectrum);

private:
    IKSSpectrumWriter2* m_pWriter;
};
