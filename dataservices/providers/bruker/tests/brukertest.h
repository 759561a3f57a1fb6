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

// The dataset most tests of the data server, the provider and the dialog
// use, in the folder "ds" of the test case:
//   1      FT-ICR, processings 1 ("first", 1r 10 20 30 40) and 2 ("second"),
//          m/z 100 200 300 400 (mode 2), "$CMT1" Sample A
//   2      "$PI" 512.3 600.5 100 100, processing 1 (1r 1 1 1 1)
//   3      raw data only (no processing)
//   4.ser  a series of 3 scans, processing 1 in blocks of 2 x 1, "$GCT" 0.5;
//          scan s (from 0) holds 10 s + 1 to 10 s + 4
//   7      processing 1
inline Tree StandardDataset(const std::string& name = "ds")
{
    Tree t(name);
    const xmass::Params oneD = {{"$TD", "4"}, {"$BYTORDA", "0"}, {"$Calmet", "2"}, {"$ML2", "300"}, {"$ML3", "100"}};
    const xmass::Params procs = {{"$SI", "4"}, {"$BYTORDP", "0"}};
    xmass::Params first = oneD;
    first.push_back({"$CMT1", "<Sample A>"});
    first.push_back({"$AQ_DATE", "<2024-01-02 03:04:05>"});
    t.Experiment("1", first, "icr", Int32s({1, 2, 3, 4}));
    t.Processing("1", "1", procs, "first", Int32s({10, 20, 30, 40}));
    t.Processing("1", "2", procs, "second", Int32s({5, 5, 5, 5}));
    xmass::Params second = oneD;
    second.push_back({"$AQ_DATE", "<2024-01-03 10:00:00>"});
    t.Experiment("2", second, "icr", Int32s({1, 1, 1, 1}));
    t.File("2/acqus", ParameterText(second) + "##$PI= (0..3)\r\n512.3 600.5 100 100\r\n");
    t.Processing("2", "1", procs, "", Int32s({1, 1, 1, 1}));
    t.Experiment("3", oneD, "icr", Int32s({1, 1, 1, 1}));
    t.Experiment("4.ser",
                 {{"$TD", "4"}, {"$NF", "3"}, {"$BYTORDA", "0"}, {"$Calmet", "2"}, {"$ML2", "3"}, {"$GCT", "0.5"},
                  {"$AQ_DATE", "<2024-01-04 00:00:00>"}},
                 "icr", Int32s(std::vector<int32_t>(12, 0)));
    t.Processing("4.ser", "1", {{"$SI", "4"}, {"$XDIM", "2"}, {"$BYTORDP", "0"}}, "series",
                 Int32s({1, 2, 3, 4, 11, 12, 13, 14, 21, 22, 23, 24}));
    t.Params("4.ser/pdata/1/proc2", {});
    t.Params("4.ser/pdata/1/proc2s", {{"$XDIM", "1"}});
    t.Experiment("7", oneD, "icr", Int32s({1, 1, 1, 1}));
    t.Processing("7", "1", procs, "", Int32s({7, 7, 7, 7}));
    return t;
}

}  // namespace xmass
