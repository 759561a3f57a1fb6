// The main program: command line, files, control line and the loop over
// molecules.
#include <cstdio>
#include <string>
#include <vector>

#include "common.h"
#include "routines.h"
#include "units.h"

namespace velmar {

void resetMolecule()
{
    geom.nbform = 0;
    huch.nchat = 0;
    geom.nsets = 0;
    geom.nring6 = 0;
    huch.ncnt = 0;
    cryst.ErrorFlag = 0;
    clearMoleculeRejected();
    geom.ibform.clear();
    huch.ichat.clear();
    huch.chat.clear();
    geom.iring6.clear();
    geom.iring5.clear();
    geom.itype.clear();
    geom.geo.clear();
    geom.nref.clear();
    geom.charge.clear();
    geom.shift.clear();
    geom.xyz.clear();
    geom.nhyd.clear();
    for (auto* v : {&geom.nnc, &geom.nnn58, &geom.nno, &geom.nnco, &geom.nnacyl, &geom.nnf, &geom.nncl,
                    &geom.nnbr, &geom.nni, &geom.nnn, &geom.nnn57, &geom.nns, &geom.nns61, &geom.nnn59,
                    &geom.nsring})
        v->clear();
    geom.neq.clear();
    geom.ringct.clear();
    huch.iarom.clear();
    huch.piexs.clear();
    huch.pielec.clear();
    geom.ialf.clear();
    geom.ibet.clear();
    geom.igam.clear();
    geom.dist.clear();
    huch.hmat.clear();
    geom.ieq.clear();
}

void readMolecule()
{
    switch (cryst.InputCode) {
    case 0:
        getmat();
        break;
    case 1:
    case 3:
    case 5:
    case 7:
        getmnd();
        break;
    case 2:
        getcsr();
        break;
    case 8:
        getinp();
        break;
    case 4:
    case 9:
        getsdf();
        break;
    default:
        break;  // refused when the control line was read
    }
}

namespace {

void readEquivalenceSets()
{
    if (geom.nsets > kMaxSets) {
        rejectMolecule("MORE THAN " + std::to_string(kMaxSets) + " EQUIVALENCE SETS");
        return;  // the set records cannot be told apart from what follows
    }
    static int32_t scratch[1000];
    for (int k = 1; k <= geom.nsets; ++k) {
        int32_t n = 0;
        readf(5, "(I3)", {n});
        geom.neq(k) = n;
        if (n < 0 || n > kMaxSetSize)
            rejectMolecule("EQUIVALENCE SET " + std::to_string(k) + " HAS " + std::to_string(n) + " MEMBERS");
        // an I3 field holds at most 999, so the scratch row always has room
        int32_t take = n < 0 ? 0 : n;
        std::vector<InItem> items;
        for (int m = 0; m < take; ++m)
            items.emplace_back(scratch[m]);
        readf(5, "(128I3)", items);
        for (int m = 1; m <= take && m <= kMaxSetSize; ++m) {
            int32_t a = scratch[m - 1];
            if (a < 1 || a > geom.natoms)
                rejectMolecule("EQUIVALENCE SET " + std::to_string(k) + " NAMES ATOM " + std::to_string(a) +
                               " OUTSIDE THE MOLECULE");
            else
                geom.ieq(k, m) = a;
        }
    }
}

void writeEquivalenceSets()
{
    for (int k = 1; k <= geom.nsets; ++k) {
        std::vector<OutItem> items;
        for (int m = 1; m <= geom.neq(k); ++m)
            items.emplace_back(geom.ieq(k, m));
        writef(12, "(1X,18HEQUIVALENT PROTONS,30(5X,2I3))", items);
    }
}

// One line on standard error for a molecule that was not computed: its
// place in the input, its title and the first reason.
void reportRejection(int molecule)
{
    std::string title = micro.title.str();
    title.erase(title.find_last_not_of(' ') + 1);
    std::string reason = rejectionReason();
    if (reason.empty())
        reason = "NOT COMPUTED";
    std::fflush(stdout);
    std::fprintf(stderr, "VELMAR: molecule %d%s rejected: %s\n", molecule,
                 title.empty() ? "" : (" \"" + printable(title) + "\"").c_str(), printable(reason).c_str());
}

void computeMolecule()
{
    hybrid();
    if (moleculeRejected())
        return;
    arings();
    if (moleculeRejected())
        return;
    int arom = 0;
    for (int i = 1; i <= geom.natoms; ++i)
        if (geom.itype(i) == 55 || geom.itype(i) == 58)
            ++arom;
    if (arom > 3)
        rincur();
    testin();
    if (cryst.ErrorFlag == 1)
        return;
    edens();
    if (cryst.ErrorFlag == 1)
        return;
    dipole();
    calcsh();
    if (cryst.DetailLevel > 0)
        calcj();
    switch (cryst.OutputMode) {
    case 0:
        outmat();
        break;
    case 1:
        outmnd();
        break;
    case 2:
        outcsr();
        break;
    default:
        break;
    }
    if (geom.nsets > 0)
        writeEquivalenceSets();
}

}  // namespace

void symmetrizeParameters()
{
    for (int i = 1; i <= kTable; ++i)
        for (int j = 1; j <= i; ++j) {
            huch.ak(j, i) = huch.ak(i, j);
            huch.factor(j, i) = huch.factor(i, j);
        }
}

int runProgram(int argc, char** argv)
{
    try {
        writeList(6, "VERSION VELMAR 8d5, 27 October 2007 exe");
        std::vector<std::string> names(8);
        for (int k = 1; k <= 7; ++k)
            if (k < argc)
                names[k] = std::string(argv[k]).substr(0, 256);
        openUnit(4, names[1], UnitKind::Input);
        openUnit(5, names[2], UnitKind::Input);
        openUnit(12, names[3], UnitKind::Listing);
        openUnit(7, names[4], UnitKind::Result);
        openUnit(8, names[6], UnitKind::Result);
        openUnit(11, names[5], UnitKind::Result);
        openUnit(9, names[7], UnitKind::Result);

        huch.ak.clear();
        huch.factor.clear();
        huch.el.clear();
        huch.pol.clear();
        param();

        Chars<70> runTitle;
        runTitle.blank();
        readf(5, "(5I1,A70)", {cryst.InputCode, cryst.OutputMode, cryst.DetailLevel, cryst.Solvent, cbforder,
                               txt(runTitle)});
        switch (cryst.InputCode) {
        case 0: case 1: case 2: case 3: case 4: case 5: case 7: case 8: case 9:
            break;
        default:
            throw FatalError("unknown input code " + std::to_string(cryst.InputCode) +
                             " in the control line of unit 5 (file '" + unitFileName(5) + "')");
        }
        if (cryst.OutputMode == 0)
            prparm();
        writef(12, "(/,1X,A70,/)", {textOf(runTitle)});
        if (cryst.Solvent == 1)
            writef(12, "(1X,23H**** DMSO SOLUTION ****,/)");
        else if (cryst.Solvent == 2)
            writef(12, "(1X,22H**** D20 SOLUTION ****,/)");
        symmetrizeParameters();

        bool anyRejected = false;
        for (int molecule = 1;; ++molecule) {
            resetMolecule();
            readMolecule();
            if (geom.nsets > 0)
                readEquivalenceSets();
            if (!moleculeRejected())
                computeMolecule();
            if (cryst.ErrorFlag == 1) {
                anyRejected = true;
                reportRejection(molecule);
            }
            int32_t endMark = 0;
            readf(5, "(I4)", {endMark});
            if (endMark == 1111)
                break;
        }

        writef(12, "(1X,24H*****  END OF JOB  *****)");
        for (int u : {4, 5, 12, 7, 8, 11, 9})
            closeUnit(u);
        std::fflush(stdout);
        return anyRejected ? kExitRejected : kExitComputed;
    } catch (const FatalError& e) {
        std::fflush(stdout);
        closeAllUnits();
        std::fprintf(stderr, "VELMAR: %s\n", printable(e.what()).c_str());
        return kExitFatal;
    }
}

}  // namespace velmar
