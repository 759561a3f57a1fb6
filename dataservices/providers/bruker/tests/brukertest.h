// Small XMASS datasets written into the running test case's folder:
// parameter files from name-value lists, data files of 32-bit integers in
// either byte order.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>

#include "kstest.h"

namespace xmass {

using Params = std::vector<std::pair<std::string, std::string>>;

inline std::wstring W(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

// "##$NAME= value" lines with CR LF, as the instruments write them.
inline std::string ParameterText(const Params& params)
{
    std::string text = "##TITLE= XMASS Parameter file\r\n##JCAMPDX= 5.0\r\n";
    for (const auto& [name, value] : params)
        text += "##" + name + "= " + value + " \r\n";
    text += "##END=\r\n";
    return text;
}

inline std::string Int32s(const std::vector<int32_t>& values, bool bigEndian = false)
{
    std::string bytes;
    for (int32_t v : values) {
        const uint32_t u = static_cast<uint32_t>(v);
        for (int k = 0; k < 4; ++k) {
            const int shift = bigEndian ? 24 - 8 * k : 8 * k;
            bytes.push_back(static_cast<char>((u >> shift) & 0xFF));
        }
    }
    return bytes;
}

// A folder below the test case's folder.
class Tree {
public:
    explicit Tree(const std::string& name = "ds") : m_root(ks::test::tempDir() + "/" + name)
    {
        MakeFolders(m_root);
    }

    const std::string& Root() const { return m_root; }
    std::wstring WRoot() const { return W(m_root); }
    std::string Path(const std::string& relative) const { return m_root + "/" + relative; }
    std::wstring WPath(const std::string& relative) const { return W(Path(relative)); }

    void File(const std::string& relative, const std::string& bytes) const
    {
        const std::string path = Path(relative);
        MakeFolders(path.substr(0, path.rfind('/')));
        ks::test::writeFile(path, bytes);
    }
    void Params(const std::string& relative, const xmass::Params& params) const
    {
        File(relative, ParameterText(params));
    }
    void Folder(const std::string& relative) const { MakeFolders(Path(relative)); }

    // An experiment folder: acqu (empty apart from its header) and acqus
    // with the parameters, SPTYPE, and the raw data file when given.
    void Experiment(const std::string& expno, const xmass::Params& acqus, const std::string& sptype = "icr",
                    const std::string& raw = std::string()) const
    {
        Params(expno + "/acqu", {});
        Params(expno + "/acqus", acqus);
        if (!sptype.empty())
            File(expno + "/SPTYPE", sptype + "\n");
        if (!raw.empty())
            File(expno + (expno.find(".ser") != std::string::npos ? "/ser" : "/fid"), raw);
    }
    // A processing: proc (header only) and procs, title, processed data.
    void Processing(const std::string& expno, const std::string& procno, const xmass::Params& procs,
                    const std::string& title = std::string(), const std::string& data = std::string()) const
    {
        const std::string folder = expno + "/pdata/" + procno;
        Params(folder + "/proc", {});
        Params(folder + "/procs", procs);
        if (!title.empty())
            File(folder + "/title", title + "\n");
        if (!data.empty())
            File(folder + (expno.find(".ser") != std::string::npos ? "/2rr" : "/1r"), data);
    }

private:
    static void MakeFolders(const std::string& path)
    {
        for (size_t p = 1; p <= path.size(); ++p)
            if (p == path.size() || path[p] == '/')
                ::mkdir(path.substr(0, p).c_str(), 0755);
    }

    std::string m_root;
};

}  // namespace xmass
