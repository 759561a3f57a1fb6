#include "ksfilestat.h"

#include "kstextutil.h"

#include <cstring>

namespace {

void appendUtf8(std::string& out, uint32_t u)
{
    if ((u >= 0xD800u && u <= 0xDFFFu) || u > 0x10FFFFu)
        u = 0xFFFDu;
    if (u < 0x80u) {
        out += static_cast<char>(u);
    } else if (u < 0x800u) {
        out += static_cast<char>(0xC0u | (u >> 6));
        out += static_cast<char>(0x80u | (u & 0x3Fu));
    } else if (u < 0x10000u) {
        out += static_cast<char>(0xE0u | (u >> 12));
        out += static_cast<char>(0x80u | ((u >> 6) & 0x3Fu));
        out += static_cast<char>(0x80u | (u & 0x3Fu));
    } else {
        out += static_cast<char>(0xF0u | (u >> 18));
        out += static_cast<char>(0x80u | ((u >> 12) & 0x3Fu));
        out += static_cast<char>(0x80u | ((u >> 6) & 0x3Fu));
        out += static_cast<char>(0x80u | (u & 0x3Fu));
    }
}

bool queryStatus(const std::wstring& path, struct stat& status)
{
    return ::stat(FileSystemPath(path).c_str(), &status) == 0;
}

}  // namespace

std::string FileSystemPath(const std::wstring& path)
{
    std::string out;
    out.reserve(path.size());
    for (wchar_t c : path)
        appendUtf8(out, c == L'\\' ? static_cast<uint32_t>(L'/') : static_cast<uint32_t>(c));
    return out;
}

CKSFileStat::CKSFileStat(const std::wstring& path) : m_nStatResult(-1)
{
    std::memset(&m_Status, 0, sizeof m_Status);
    Set(path);
}

CKSFileStat::~CKSFileStat() = default;

void CKSFileStat::Set(const std::wstring& path)
{
    m_Directory.clear();
    m_FileName.clear();
    m_Extension.clear();
    m_nStatResult = -1;
    std::memset(&m_Status, 0, sizeof m_Status);
    m_Path = path;
    while (m_Path.size() > 1 && IsPathSeparator(m_Path.back()))
        m_Path.pop_back();
    if (m_Path.empty())
        return;
    if (queryStatus(m_Path, m_Status))
        m_nStatResult = 0;

    size_t nameStart = 0;
    for (size_t i = m_Path.size(); i > 0; --i)
        if (IsPathSeparator(m_Path[i - 1])) {
            nameStart = i;
            break;
        }
    m_Directory = m_Path.substr(0, nameStart);
    for (wchar_t& c : m_Directory)
        if (c == L'\\')
            c = L'/';
    const std::wstring name = m_Path.substr(nameStart);
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || name == L"." || name == L"..") {
        m_FileName = name;
    } else {
        m_FileName = name.substr(0, dot);
        m_Extension = name.substr(dot);
    }
}

void CKSFileStat::Update(const std::wstring& path)
{
    if (path != m_Path)
        Set(path);
}

std::wstring CKSFileStat::GetFolder(bool withDirectory) const
{
    std::wstring folder = m_Directory;
    // The root alone is its own folder: no second separator after it.
    if (withDirectory && IsDirectory() && !(m_FileName.empty() && m_Extension.empty()))
        folder += m_FileName + m_Extension + L'/';
    return folder;
}

bool CKSFileStat::ParentExists() const
{
    if (Exists())
        return true;
    size_t cut = std::wstring::npos;
    for (size_t i = m_Path.size(); i > 0; --i)
        if (IsPathSeparator(m_Path[i - 1])) {
            cut = i - 1;
            break;
        }
    if (cut == std::wstring::npos || cut == 0)
        return true;
    struct stat status;
    return queryStatus(m_Path.substr(0, cut), status);
}
