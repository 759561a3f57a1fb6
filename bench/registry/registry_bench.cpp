// Registry speed: reading an unchanged hive (a status check, no parse),
// reading after the file changed (a parse), loading a large hive whose keys
// are listed in any order, writing values (locked atomic rewrite each) and
// enumerating subkeys.
#include "ksregistry.h"

#include "benchsummary.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A fresh registry folder for each benchmark.
class TempRegistry {
public:
    TempRegistry()
    {
        const char* t = std::getenv("TMPDIR");
        std::string tmpl = std::string(t && *t ? t : "/tmp") + "/ksregbench-XXXXXX";
        dir_ = mkdtemp(&tmpl[0]) ? tmpl : std::string();
        setenv("KESTROM_REGISTRY", dir_.c_str(), 1);
    }
    ~TempRegistry()
    {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string hive() const { return dir_ + "/HKEY_CURRENT_USER.hive"; }

private:
    std::string dir_;
};

HKEY createKey(const wchar_t* path)
{
    HKEY h = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
    return h;
}

void setDword(HKEY h, const std::wstring& name, DWORD v)
{
    RegSetValueExW(h, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

// A hive of some size around the key read: 100 keys of 10 values.
void fillHive()
{
    for (int k = 0; k < 100; ++k) {
        HKEY h = createKey((L"Software\\Filler\\Key" + std::to_wstring(k)).c_str());
        for (int v = 0; v < 10; ++v)
            setDword(h, L"Value" + std::to_wstring(v), static_cast<DWORD>(v));
        RegCloseKey(h);
    }
}

void BM_ReadUnchangedHive(benchmark::State& state)
{
    TempRegistry reg;
    fillHive();
    HKEY h = createKey(L"Software\\Kestrom\\Data Services\\{P}");
    setDword(h, L"Provider Flags", 7);
    for (auto _ : state) {
        DWORD v = 0, cb = sizeof v, type = 0;
        const LONG r = RegQueryValueExW(h, L"Provider Flags", nullptr, &type, reinterpret_cast<BYTE*>(&v), &cb);
        if (r != ERROR_SUCCESS || v != 7)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(v);
    }
    RegCloseKey(h);
}
BENCHMARK(BM_ReadUnchangedHive)->Iterations(10000)->Unit(benchmark::kMicrosecond);

// Gives the hive file a new modification time, so that the next call
// finds it changed and parses it again.
class FileChanger {
public:
    explicit FileChanger(std::string file) : file_(std::move(file)) {}
    void change()
    {
        ++t_.tv_sec;
        const timespec times[2] = {t_, t_};
        utimensat(AT_FDCWD, file_.c_str(), times, 0);
    }

private:
    std::string file_;
    timespec t_{1000000000, 0};
};

// For comparison: every read finds the file changed and parses it.
void BM_ReadChangedHive(benchmark::State& state)
{
    TempRegistry reg;
    fillHive();
    HKEY h = createKey(L"Software\\Kestrom\\Data Services\\{P}");
    setDword(h, L"Provider Flags", 7);
    const std::string hive = reg.hive();
    FileChanger changer(hive);
    for (auto _ : state) {
        state.PauseTiming();
        changer.change();
        state.ResumeTiming();
        DWORD v = 0, cb = sizeof v;
        RegQueryValueExW(h, L"Provider Flags", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &cb);
        benchmark::DoNotOptimize(v);
    }
    RegCloseKey(h);
}
BENCHMARK(BM_ReadChangedHive)->Iterations(1000)->Unit(benchmark::kMicrosecond);

// A hive of 200,000 sibling keys loaded from its file: sorted as the
// registry writes it (0), in reverse order (1) and shuffled (2). A file
// edited by hand or by another tool may list keys in any order; loading is
// one pass and a sort in every order (it once inserted key by key, which
// took seconds out of order).
void BM_LoadKeysInAnyOrder(benchmark::State& state)
{
    TempRegistry reg;
    constexpr int kKeys = 200000;
    std::vector<std::string> keys;
    keys.reserve(kKeys);
    for (int i = 0; i < kKeys; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "K%06d", i);
        keys.push_back(std::string("[Software\\Bench\\") + name + "]\n\"v\"=dword:00000001\n");
    }
    if (state.range(0) == 1)
        std::reverse(keys.begin(), keys.end());
    else if (state.range(0) == 2)
        std::shuffle(keys.begin(), keys.end(), std::mt19937(7));
    {
        std::ofstream out(reg.hive(), std::ios::binary);
        out << "; Kestrom registry hive HKEY_CURRENT_USER\n";
        for (const auto& k : keys)
            out << k;
        out << "\n; end\n";
    }
    const std::string hive = reg.hive();
    FileChanger changer(hive);
    for (auto _ : state) {
        state.PauseTiming();
        changer.change();
        state.ResumeTiming();
        HKEY h = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Bench\\K100000", 0, KEY_READ, &h) != ERROR_SUCCESS) {
            state.SkipWithError("key not found");
            break;
        }
        RegCloseKey(h);
    }
}
BENCHMARK(BM_LoadKeysInAnyOrder)->Arg(0)->Arg(1)->Arg(2)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_WriteValues(benchmark::State& state)
{
    TempRegistry reg;
    HKEY h = createKey(L"Software\\Bench\\Writes");
    DWORD i = 0;
    for (auto _ : state) {
        setDword(h, L"Value" + std::to_wstring(i), i);
        ++i;
    }
    RegCloseKey(h);
}
BENCHMARK(BM_WriteValues)->Iterations(1000)->Unit(benchmark::kMicrosecond);

void BM_Enumerate1000Subkeys(benchmark::State& state)
{
    TempRegistry reg;
    HKEY h = createKey(L"Software\\Bench\\Enum");
    for (int k = 0; k < 1000; ++k)
        RegCloseKey(createKey((L"Software\\Bench\\Enum\\Sub" + std::to_wstring(k)).c_str()));
    for (auto _ : state) {
        DWORD n = 0;
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD cch = 256;
            if (RegEnumKeyExW(h, i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            ++n;
        }
        if (n != 1000)
            state.SkipWithError("enumeration incomplete");
    }
    RegCloseKey(h);
}
BENCHMARK(BM_Enumerate1000Subkeys)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    ksbench::registerControl("BM_ReadUnchangedHive_again", BM_ReadUnchangedHive)
        ->Iterations(10000)
        ->Unit(benchmark::kMicrosecond);
    // No other registry reads these files: ours against variants of ours.
    return ksbench::runWithSummary(
        argc, argv,
        {{"read a value from an unchanged 1,000-value hive", "BM_ReadUnchangedHive", "BM_ReadChangedHive",
          "RegQueryValueExW: the hive file's status checked, nothing parsed",
          "variant: the file given a new time before each read, so each read parses the hive"},
         {"load a hive of 200,000 sibling keys, reverse order / sorted", "BM_LoadKeysInAnyOrder/1",
          "BM_LoadKeysInAnyOrder/0", "the hive (file just changed) loaded and one key opened; keys listed in reverse",
          "variant: keys listed sorted, as the registry writes them"},
         {"the same, shuffled / sorted", "BM_LoadKeysInAnyOrder/2", "BM_LoadKeysInAnyOrder/0", "keys shuffled"},
         {"write a value (locked atomic rewrite of the hive)", "BM_WriteValues", nullptr,
          "RegSetValueExW of a new DWORD value: lock, re-read, temporary file, fsync, rename"},
         {"enumerate 1,000 subkeys", "BM_Enumerate1000Subkeys", nullptr, "RegEnumKeyExW to the end"},
         {"control: unchanged read / again", "BM_ReadUnchangedHive", "BM_ReadUnchangedHive_again"}});
}
