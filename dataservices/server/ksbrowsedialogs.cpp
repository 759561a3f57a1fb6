#include "ksbrowsedialogs.h"

#include "kscomptr.h"
#include "opendialog.h"

#include <utility>

COpenDialog::COpenDialog(CKSDataAccess* access, IKSDataServer** ppServer, IKSInjection** ppInjection, Mode mode,
                         bool smartExpansionBoxes, bool showTextFiles, std::vector<KSComboFilter> filters,
                         std::wstring startPath)
    : m_access(access),
      m_ppServer(ppServer),
      m_ppInjection(ppInjection),
      m_mode(mode),
      m_smartExpansionBoxes(smartExpansionBoxes),
      m_showTextFiles(showTextFiles),
      m_filters(std::move(filters)),
      m_startPath(std::move(startPath)),
      m_selCombos(m_filters.size(), 0),
      m_resultCombos(m_filters.size(), -1)
{
}

COpenDialog::~COpenDialog() = default;

std::wstring COpenDialog::title() const
{
    return L"Select Dataset";
}

void COpenDialog::initialize()
{
    m_okEnabled = false;
    m_selPath.clear();
    m_selInjection = -1;
    m_selFunction = -1;
    m_selCombos.assign(m_filters.size(), 0);
    m_resultPath.clear();
    m_resultInjection = -1;
    m_resultFunction = -1;
    m_resultCombos.assign(m_filters.size(), -1);
    m_tree = std::make_unique<COpenDialogTree>(*this, KSCurrentBrowsePlatform());
    m_tree->Start();
}

bool COpenDialog::accept()
{
    return m_okEnabled;
}

void COpenDialog::finish(INT)
{
    if (m_tree)
        m_tree->Close();
    if (m_selInjection != -1) {
        m_resultPath = m_selPath;
        m_resultInjection = m_selInjection;
    }
    m_resultFunction = m_selFunction;
    m_resultCombos = m_selCombos;
}

HRESULT COpenDialog::SelectInjection(const std::wstring& path, LONG injection)
{
    m_okEnabled = false;
    m_selFunction = -1;
    m_selCombos.assign(m_filters.size(), 0);
    m_selPath = path;
    m_selInjection = injection;

    ks::releaseAndNull(m_ppInjection);
    ks::releaseAndNull(m_ppServer);
    HRESULT hr = E_POINTER;
    if (m_access && m_ppServer && m_ppInjection) {
        ks::Bstr bpath(path);
        hr = m_access->OpenInjection(bpath, injection, m_ppServer, m_ppInjection);
    }
    if (m_mode == ModeInjection)
        m_okEnabled = true;
    return hr;
}

void COpenDialog::SelectOther()
{
    m_okEnabled = false;
    m_selPath.clear();
    m_selInjection = -1;
    m_selFunction = -1;
    m_selCombos.assign(m_filters.size(), 0);
}

void COpenDialog::ChooseFunction(LONG number)
{
    m_selFunction = number > 0 ? number : -1;
    if (m_mode == ModeFunction)
        m_okEnabled = m_selFunction > 0;
}

void COpenDialog::ChooseComboFunction(size_t combo, LONG number)
{
    if (combo < m_selCombos.size())
        m_selCombos[combo] = number > 0 ? number : 0;
}

CFunctionDialog::CFunctionDialog(IKSFunctions* functions) : m_functions(functions) {}

std::wstring CFunctionDialog::title() const
{
    return L"Select Function";
}

void CFunctionDialog::initialize()
{
    m_names.clear();
    m_numbers.clear();
    m_selection = -1;
    m_result = -1;
    if (!m_functions)
        return;
    LONG count = 0;
    if (FAILED(m_functions->get_Count(&count)))
        return;
    for (LONG i = 1; i <= count; ++i) {
        ks::ComPtr<IKSFunction> fcn;
        if (FAILED(m_functions->get_Item(i, &fcn)) || !fcn)
            continue;
        ks::Bstr name;
        if (FAILED(fcn->get_Name(&name)))
            continue;
        m_names.push_back(name.str());
        m_numbers.push_back(i);
    }
}

void CFunctionDialog::Select(LONG position)
{
    m_selection = position >= 0 && position < static_cast<LONG>(m_names.size()) ? position : -1;
}

void CFunctionDialog::finish(INT result)
{
    m_result = result == IDOK ? m_selection : -1;
}
