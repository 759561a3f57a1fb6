// Helpers of the analysis tests: the element table the build puts beside
// the programs, the committed molfiles and the RDKit-written reference
// files (make_fixtures.py), byte images.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kstest.h"
#include "tindrel.h"

namespace analysistest {

inline const std::string kTablePath = std::string(KS_BIN_DIR) + "/KSElements.ini";

inline TKSElementTable elementTable()
{
    TKSElementTable table;
    EXPECT_TRUE(table.initialize(std::wstring(kTablePath.begin(), kTablePath.end())))
        << std::string(table.getError().begin(), table.getError().end());
    return table;
}

inline std::string molfilePath(const std::string& name)
{
    return std::string(KS_SOURCE_DIR) + "/../data/molfiles/" + name;
}

inline std::string dataPath(const std::string& name)
{
    return std::string(KS_SOURCE_DIR) + "/data/" + name;
}

// Latin-1 bytes as the wide text the plug-in hands over.
inline std::wstring latin1(const std::string& bytes)
{
    std::wstring out;
    for (unsigned char c : bytes)
        out += static_cast<wchar_t>(c);
    return out;
}

inline std::string narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// The tab-separated fields of every line of a reference file but comments.
inline std::vector<std::vector<std::string>> readTable(const std::string& path)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(ks::test::readFile(path));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> fields;
        std::istringstream f(line);
        std::string field;
        while (std::getline(f, field, '\t'))
            fields.push_back(field);
        if (!line.empty() && line.back() == '\t')
            fields.push_back("");
        rows.push_back(fields);
    }
    return rows;
}

template <class T>
std::vector<unsigned char> imageOf(const T& value)
{
    std::vector<unsigned char> bytes(value.getSerializedSize());
    EXPECT_TRUE(value.serialize(bytes.data(), bytes.size()));
    return bytes;
}

// Every cut of an image and every image with one byte changed is refused
// and leaves the object as it was (its image unchanged).
template <class T>
void expectDamageRefused(T& object, const std::vector<unsigned char>& image)
{
    const std::vector<unsigned char> before = imageOf(object);
    for (size_t n = 0; n < image.size(); ++n)
        ASSERT_FALSE(object.deserialize(image.data(), n)) << "prefix of " << n << " bytes";
    const size_t step = image.size() > 4000 ? image.size() / 2000 : 1;
    for (size_t i = 0; i < image.size(); i += step) {
        std::vector<unsigned char> bad = image;
        bad[i] ^= 0x20;
        ASSERT_FALSE(object.deserialize(bad.data(), bad.size())) << "byte " << i << " flipped";
    }
    std::vector<unsigned char> longer = image;
    longer.push_back(0);
    EXPECT_FALSE(object.deserialize(longer.data(), longer.size()));
    EXPECT_EQ(imageOf(object), before);
}

}  // namespace analysistest
