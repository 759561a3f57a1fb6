// The shared records of the program. Every routine works on these; all
// tables are static, fixed-size and indexed from 1.
#pragma once

#include <cassert>
#include <cstdint>
#include <cstring>
#include <string>

namespace velmar {

constexpr int kMaxAtoms = 1024;
constexpr int kMaxAlpha = 4;     // bonded neighbours
constexpr int kMaxBeta = 12;     // atoms two bonds away
constexpr int kMaxGamma = 36;    // atoms three bonds away
constexpr int kMaxBform = 30;    // bonds formed by distance
constexpr int kMaxCharges = 30;  // given or added charges
constexpr int kMaxRings = 10;    // rings of each size
constexpr int kMaxSets = 1024;   // equivalence sets
constexpr int kMaxSetSize = 1024;
constexpr int kTypes = 62;
constexpr int kTable = 1024;     // range of the parameter matrices

// Fixed-size vector indexed from 1.
template <class T, int N>
struct Vec {
    T v[N];
    T& operator()(int i)
    {
        assert(i >= 1 && i <= N);
        return v[i - 1];
    }
    const T& operator()(int i) const
    {
        assert(i >= 1 && i <= N);
        return v[i - 1];
    }
    void clear() { std::memset(static_cast<void*>(v), 0, sizeof v); }
    static constexpr int size() { return N; }
};

// Fixed-size matrix indexed from 1 by (row, column).
template <class T, int R, int C>
struct Mat {
    T v[R][C];
    T& operator()(int i, int j)
    {
        assert(i >= 1 && i <= R && j >= 1 && j <= C);
        return v[i - 1][j - 1];
    }
    const T& operator()(int i, int j) const
    {
        assert(i >= 1 && i <= R && j >= 1 && j <= C);
        return v[i - 1][j - 1];
    }
    void clear() { std::memset(static_cast<void*>(v), 0, sizeof v); }
};

// Fixed-length blank-padded text.
template <int N>
struct Chars {
    char c[N];
    void blank() { std::memset(c, ' ', N); }
    std::string str() const { return std::string(c, N); }
    void set(const std::string& s)
    {
        blank();
        std::memcpy(c, s.data(), s.size() < N ? s.size() : N);
    }
    static constexpr int size() { return N; }
};

struct Cryst {
    int32_t InputCode = 0;
    int32_t OutputMode = 0;
    int32_t DetailLevel = 0;
    int32_t Solvent = 0;
    int32_t ErrorFlag = 0;
};

struct Micro {
    Vec<Chars<4>, kMaxAtoms> alab;
    Vec<Chars<2>, kTypes> symb;
    Chars<80> title;
};

struct Huch {
    Mat<float, kTable, kTable> hmat;
    Mat<float, kTable, kTable> ak;
    Mat<float, kTable, kTable> factor;
    Vec<int32_t, kMaxAtoms> iarom;
    Vec<float, kMaxAtoms> piexs;
    Vec<float, kMaxAtoms> pielec;
    Vec<float, kTable> ah;
    Vec<float, kTable> pol;
    Vec<float, kTable> el;
    Vec<int32_t, kMaxCharges> ichat;
    Vec<float, kMaxCharges> chat;
    float dipx, dipy, dipz, dipm;
    float parx1, parx2;
    int32_t nchat;
    int32_t npiel;
    int32_t ncnt;
};

struct Geom {
    Vec<int32_t, kMaxAtoms> iatno;
    Vec<int32_t, kMaxAtoms> itype;
    Mat<float, kMaxAtoms, 3> geo;
    Mat<int32_t, kMaxAtoms, 4> nref;
    Vec<float, kMaxAtoms> charge;
    Vec<float, kMaxAtoms> shift;
    Mat<float, kMaxAtoms, 3> xyz;
    Mat<float, kMaxAtoms, kMaxAtoms> dist;
    int32_t nring6, nring5;
    Mat<int32_t, kMaxRings, 6> iring6;
    Mat<int32_t, kMaxRings, 6> iring5;
    int32_t nbform;
    Mat<int32_t, kMaxBform, 2> ibform;
    Mat<int32_t, kMaxAtoms, kMaxAlpha + 1> ialf;
    Mat<int32_t, kMaxAtoms, kMaxBeta + 1> ibet;
    Mat<int32_t, kMaxAtoms, kMaxGamma + 1> igam;
    float degrad, pi;
    int32_t natoms;
    Vec<int32_t, kMaxAtoms> nhyd;
    Vec<float, kMaxAtoms> ringct;
    Mat<int32_t, kMaxSets, kMaxSetSize> ieq;
    Vec<int32_t, kMaxSets> neq;
    int32_t nsets;
    // neighbour counts
    Vec<int32_t, kMaxAtoms> nnc, nnn58, nno, nnco, nnacyl, nnf, nncl, nnbr, nni,
        nnn, nnn57, nns, nns61, nnn59, nsring;
};

extern Cryst cryst;
extern int32_t cbforder;
extern Micro micro;
extern Huch huch;
extern Geom geom;

// The current molecule cannot be computed because it breaks a limit, refers
// to atoms it does not have or holds an atom without parameters. The reason
// goes to the listing and to standard output once; readers go on reading the
// molecule's records so the input stays in step.
void rejectMolecule(const std::string& reason);
bool moleculeRejected();
// The first reason given for the current molecule ("" when none).
const std::string& rejectionReason();
void clearMoleculeRejected();

}  // namespace velmar
