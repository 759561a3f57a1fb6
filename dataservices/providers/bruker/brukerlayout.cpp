#include "brukerlayout.h"

#include <cstdio>
#include <cwchar>

#include "ksfiles.h"
#include "ksfilestat.h"
#include "kshive.h"
#include "kstextutil.h"

namespace {

bool isSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

std::wstring wide(const std::string& utf8)
{
    return ks::reg::wideFromUtf8(utf8);
}

bool isFolder(const std::wstring& path)
{
    return ks::isFolder(FileSystemPath(path));
}

// Sub-folders of a folder, as found, sorted without regard to case.
std::vector<std::wstring> subFolders(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    const std::string base = FileSystemPath(folder);
    for (const std::string& name : ks::listFolderNoCase(base))
        if (!name.empty() && name != "." && name != ".." && ks::isFolder(base + "/" + name))
            names.push_back(wide(name));
    return names;
}

// The processings of one experiment folder.
LONG processingsOf(const std::wstring& experiment, std::vector<std::wstring>* list)
{
    std::wstring pdata;
    if (!FindEntry(experiment, L"pdata", pdata))
        return 0;
    LONG count = 0;
    for (const std::wstring& name : subFolders(pdata)) {
        std::wstring folder = pdata;
        if (!HasParameterPair(JoinPath(folder, name), BrukerProcessingPair))
            continue;
        ++count;
        if (!list)
            break;  // one is enough to qualify
        list->push_back(name);
    }
    return count;
}

}  // namespace

std::wstring FindInFolder(const std::wstring& path)
{
    size_t cut = path.size();
    while (cut > 0 && !isSeparator(path[cut - 1]))
        --cut;
    const std::wstring name = path.substr(cut);
    if (name.empty())
        return path;
    const std::wstring folder = path.substr(0, cut);
    const auto found = ks::findNameNoCase(folder.empty() ? std::string(".") : FileSystemPath(folder),
                                          FileSystemPath(name));
    return found ? folder + wide(*found) : path;
}

bool FindEntry(const std::wstring& folder, const std::wstring& name, std::wstring& path)
{
    if (folder.empty() || name.empty())
        return false;
    const auto found = ks::findPathNoCase(FileSystemPath(folder), FileSystemPath(name));
    if (!found)
        return false;
    path = folder;
    JoinPath(path, wide(found->substr(FileSystemPath(folder).size())));
    return true;
}

bool ReadFirstLine(const std::wstring& path, std::wstring& text)
{
    text.clear();
    std::FILE* file = ks::openRegularFileStream(FileSystemPath(path), "rb");
    if (!file)
        return false;
    char buffer[kBrukerMaxLine + 1];
    size_t length = 0;
    int c;
    while (length < kBrukerMaxLine && (c = getc_unlocked(file)) != EOF && c != '\n' && c != 0)
        buffer[length++] = static_cast<char>(c);
    buffer[length] = '\0';
    std::fclose(file);
    ToWide(buffer, text, static_cast<int>(length));
    Trim(text);
    return true;
}

bool FindExperimentDirectory(const std::wstring& dataset, const std::wstring& expno, const std::wstring& procno,
                             bool& is2D, std::wstring& folder)
{
    std::wstring experiment;
    if (expno.empty()) {
        experiment = dataset;
        if (!isFolder(experiment))
            return false;
    } else if (!FindEntry(dataset, expno, experiment) || !isFolder(experiment)) {
        if (!FindEntry(dataset, expno + L".ser", experiment) || !isFolder(experiment))
            return false;
    }
    is2D = CompareNoCase(CKSFileStat(experiment).GetExtension(), L".ser") == 0;
    if (procno.empty()) {
        folder = experiment;
        return true;
    }
    std::wstring processing;
    if (!FindEntry(experiment, L"pdata/" + procno, processing) || !isFolder(processing))
        return false;
    folder = processing;
    return true;
}

bool LoadDatasetParameters(const std::wstring& dataset, const std::wstring& expno, const std::wstring& procno,
                           bool secondDimension, CBruker& parameters, bool* firstRead)
{
    if (firstRead)
        *firstRead = false;
    bool is2D = false;
    std::wstring folder;
    if (!FindExperimentDirectory(dataset, expno, procno, is2D, folder))
        return false;
    parameters.SetValue(L"KSPath", folder);
    parameters.SetValue(L"KSDataForm", is2D ? L"2D" : L"1D");
    std::wstring base;
    std::wstring line;
    std::wstring file;
    if (!procno.empty()) {
        if (FindEntry(folder, L"title", file) && ReadFirstLine(file, line))
            parameters.SetValue(L"KSTitle", line);
        base = L"proc";
    } else {
        if (FindEntry(folder, L"SPTYPE", file) && ReadFirstLine(file, line))
            parameters.SetValue(L"KSDataType", ToUpper(line));
        base = L"acqu";
    }
    if (secondDimension)
        base += L"2";
    parameters.SetValue(L"KSFileName", base);
    std::wstring path = folder;
    return ReadParameterPair(JoinPath(path, base), parameters, firstRead);
}

bool SplitProcessedPath(const std::wstring& path, std::wstring& folder, std::wstring& name, std::wstring& procno)
{
    std::wstring p = path;
    for (wchar_t& c : p)
        if (c == L'\\')
            c = L'/';
    while (p.size() > 1 && p.back() == L'/')
        p.pop_back();
    std::wstring lower = p;
    ToLower(lower);
    const size_t mark = lower.rfind(L"/pdata/");
    const bool processed = mark != std::wstring::npos;
    std::wstring experiment = processed ? p.substr(0, mark) : p;
    procno = processed ? p.substr(mark + 7) : std::wstring();
    const size_t slash = experiment.rfind(L'/');
    folder = slash == std::wstring::npos ? std::wstring() : experiment.substr(0, slash + 1);
    name = slash == std::wstring::npos ? experiment : experiment.substr(slash + 1);
    return processed;
}

bool LocateDataFile(const std::wstring& path, std::wstring& file)
{
    std::wstring folder;
    std::wstring name;
    std::wstring procno;
    const bool processed = SplitProcessedPath(path, folder, name, procno);
    const bool series = FindNoCase(name, L".ser") != std::wstring::npos;
    const wchar_t* data = processed ? (series ? L"2rr" : L"1r") : (series ? L"ser" : L"fid");
    return FindEntry(path, data, file);
}

bool HasParameterPair(const std::wstring& folder, BrukerParameterKind kind)
{
    const std::wstring base = kind == BrukerAcquisitionPair ? L"acqu" : L"proc";
    std::wstring first;
    std::wstring second;
    return FindEntry(folder, base, first) && FindEntry(folder, base + L"s", second) &&
           ks::isRegularFile(FileSystemPath(first)) && ks::isRegularFile(FileSystemPath(second));
}

LONG ListExperiments(const std::wstring& dataset, bool withProcessing, std::vector<std::wstring>& list)
{
    list.clear();
    for (const std::wstring& name : subFolders(dataset)) {
        std::wstring experiment = dataset;
        JoinPath(experiment, name);
        if (!HasParameterPair(experiment, BrukerAcquisitionPair))
            continue;
        if (withProcessing && processingsOf(experiment, nullptr) == 0)
            continue;
        list.push_back(name);
    }
    return static_cast<LONG>(list.size());
}

LONG ListProcessings(const std::wstring& dataset, const std::wstring& expno, std::vector<std::wstring>& list)
{
    list.clear();
    bool is2D = false;
    std::wstring experiment;
    if (!FindExperimentDirectory(dataset, expno, std::wstring(), is2D, experiment))
        return 0;
    return processingsOf(experiment, &list);
}

LONG GetScanCount(const CBruker& acquisition)
{
    std::wstring form;
    std::wstring type;
    acquisition.GetString(L"KSDataForm", form);
    acquisition.GetString(L"KSDataType", type);
    if (CompareNoCase(form, L"1D") == 0 || CompareNoCase(type, L"TOF") == 0)
        return 1;
    LONG count = 0;
    if (!acquisition.GetInteger(L"$NF", count) || count < 0)
        return 0;
    return count;
}

namespace {

// The first three bytes of the folder's "SPTYPE" file name a spectrometer
// type this reader takes.
bool spectrometerTypeAccepted(const std::wstring& folder, bool withCompass)
{
    std::wstring file;
    if (!FindEntry(folder, L"SPTYPE", file))
        return false;
    std::FILE* stream = ks::openRegularFileStream(FileSystemPath(file), "rb");
    if (!stream)
        return false;
    char type[3];
    const size_t got = std::fread(type, 1, sizeof type, stream);
    std::fclose(stream);
    if (got != sizeof type)
        return false;
    const std::string t(type, sizeof type);
    return t == "tof" || t == "icr" || (withCompass && t == "psd");
}

bool endsWithName(const std::wstring& path, const std::wstring& name)
{
    return path.size() > name.size() + 1 && path.compare(path.size() - name.size(), name.size(), name) == 0 &&
           path[path.size() - name.size() - 1] == L'/';
}

}  // namespace

bool IsBrukerDataset(const std::wstring& path, bool withCompass)
{
    const CKSFileStat stat(path);
    const std::wstring last = stat.GetFileName() + stat.GetExtension();
    if (!stat.Exists() || (!last.empty() && last[0] == L'.' && last != L"." && last != L".."))
        return false;
    std::wstring p = stat.GetPath();
    for (wchar_t& c : p)
        if (c == L'\\')
            c = L'/';
    for (const wchar_t* name : {L"fid", L"analysis.baf"})
        if (endsWithName(p, name)) {
            p.resize(p.size() - std::wcslen(name) - 1);
            break;
        }
    if (isFolder(p)) {
        if (spectrometerTypeAccepted(p, withCompass))
            return true;
        for (const std::wstring& name : subFolders(p)) {
            std::wstring sub = p;
            JoinPath(sub, name);
            std::wstring acqus;
            if (FindEntry(sub, L"acqus", acqus) && ks::isRegularFile(FileSystemPath(acqus)) &&
                spectrometerTypeAccepted(sub, withCompass))
                return true;
        }
    }
    std::wstring baf;
    return withCompass && FindEntry(p, L"analysis.baf", baf);
}

bool SplitExperimentPath(const std::wstring& path, std::wstring& head, std::wstring& tail)
{
    head.clear();
    tail.clear();
    std::wstring p = path;
    for (wchar_t& c : p)
        if (c == L'\\')
            c = L'/';
    if (!p.empty() && p.back() == L'/')
        p.pop_back();
    const size_t slash = p.rfind(L'/');
    if (slash == std::wstring::npos || slash == 0)
        return false;
    head = p.substr(0, slash);
    tail = p.substr(slash + 1);
    return true;
}

std::wstring ExperimentDescription(const std::wstring& expno, const CBruker& acquisition)
{
    std::wstring text = expno + L":  ";
    std::wstring comment[3];
    acquisition.GetString(L"$CMT1", comment[0]);
    acquisition.GetString(L"$CMT2", comment[1]);
    acquisition.GetString(L"$CMT3", comment[2]);
    if (comment[0].empty() && comment[1].empty() && comment[2].empty()) {
        std::wstring date;
        acquisition.GetString(L"$AQ_DATE", date);
        return text + date;
    }
    for (int k = 0; k < 3; ++k)
        if (!comment[k].empty())
            text += comment[k] + (k < 2 ? L"  " : L"");
    return text;
}

std::wstring ExperimentDescription(const std::wstring& dataset, const std::wstring& expno)
{
    CBruker acquisition;
    bool firstRead = false;
    if (!LoadDatasetParameters(dataset, expno, std::wstring(), false, acquisition, &firstRead) && !firstRead)
        return expno + L":  ";
    return ExperimentDescription(expno, acquisition);
}
