// The XMASS dataset layout as the readers see it.
//
//   <dataset>/<expno>/            one experiment (a 2D series: "<expno>.ser")
//       acqu, acqus               acquisition parameters (acqu2, acqu2s: second dimension)
//       SPTYPE                    one line: "tof", "icr" or "psd"
//       fid | ser                 raw data, 32-bit integers (1D | series)
//       pdata/<procno>/           one processing
//           proc, procs           processing parameters (proc2, proc2s: second dimension)
//           title                 one line of text
//           1r | 2rr              processed data (1D | series)
//
// Every name inside a dataset is found without regard to case and used
// as found ("sptype" on disk answers for "SPTYPE"). Paths are wide text,
// accept "\" and "/" and are built with "/". Folder listings are sorted
// without regard to case.
#pragma once

#include <string>
#include <vector>

#include "bruker.h"
#include "kstypes.h"

enum BrukerParameterKind : int {
    BrukerAcquisitionPair = 1,  // "acqu" and "acqus"
    BrukerProcessingPair = 2,   // "proc" and "procs"
};

// The path with its last component as found in its folder without regard
// to case; the path unchanged when it exists as given or nothing matches.
std::wstring FindInFolder(const std::wstring& path);
// The entry `name` of `folder` found without regard to case: true with
// the folder joined with the name as found.
bool FindEntry(const std::wstring& folder, const std::wstring& name, std::wstring& path);

// The first line of a text file (at most 1023 bytes, Latin-1), trimmed;
// false (text empty) when the file cannot be opened.
bool ReadFirstLine(const std::wstring& path, std::wstring& text);

// The experiment folder of expno in the dataset (an empty expno names the
// dataset folder itself), or, when there is none, of expno with ".ser"
// appended. is2D tells a series (a folder whose extension is ".ser").
// With a procno the answer is the folder pdata/<procno> of the experiment,
// which must exist.
bool FindExperimentDirectory(const std::wstring& dataset, const std::wstring& expno, const std::wstring& procno,
                             bool& is2D, std::wstring& folder);

// Clears nothing: fills "KSPath", "KSDataForm" ("1D" or "2D"), "KSTitle"
// (with a procno, from "title") or "KSDataType" (without, from "SPTYPE",
// upper-cased) and "KSFileName" ("proc" or "acqu", with "2" appended for
// the second dimension), then reads that parameter pair. False when the
// experiment (or processing) folder is not found or the pair's first file
// cannot be read, otherwise the pair's result; firstRead as in
// ReadParameterPair.
bool LoadDatasetParameters(const std::wstring& dataset, const std::wstring& expno, const std::wstring& procno,
                           bool secondDimension, CBruker& parameters, bool* firstRead = nullptr);

// A path inside "pdata" ("<dataset>/<expno>/pdata/<procno>", the word in
// any case): true with the dataset folder (ending in "/"), the experiment
// name (with its extension) and the procno. Otherwise false with the
// path's folder (ending in "/"), its last component and an empty procno.
bool SplitProcessedPath(const std::wstring& path, std::wstring& folder, std::wstring& name, std::wstring& procno);

// The data file of an experiment or processing folder: "2rr" (processing
// of a series), "1r" (processing), "ser" (series) or "fid", joined to the
// path as found; false when it does not exist.
bool LocateDataFile(const std::wstring& path, std::wstring& file);

// Whether the folder holds both files of the pair as regular files.
bool HasParameterPair(const std::wstring& folder, BrukerParameterKind kind);

// The experiments of a dataset (sub-folders holding "acqu" and "acqus";
// withProcessing: and a "pdata" folder with at least one processing), and
// the processings of an experiment (sub-folders of its "pdata" holding
// "proc" and "procs"), as found on disk. Answer their number.
LONG ListExperiments(const std::wstring& dataset, bool withProcessing, std::vector<std::wstring>& list);
LONG ListProcessings(const std::wstring& dataset, const std::wstring& expno, std::vector<std::wstring>& list);

// The number of spectra of an experiment from its acquisition parameters:
// 1 for 1D or time-of-flight data, otherwise "$NF" (0 when it is missing
// or negative).
LONG GetScanCount(const CBruker& acquisition);

// Whether a path holds an XMASS dataset, without opening it. Not a path
// that does not exist or whose last component begins with "." (hidden).
// A path ending in "/fid" or "/analysis.baf" stands for its folder. A
// folder passes when its "SPTYPE" file begins with "tof" or "icr" (or
// "psd" with Compass data), or when a sub-folder holding the file "acqus"
// passes the same way; with Compass data a folder holding "analysis.baf"
// passes too.
bool IsBrukerDataset(const std::wstring& path, bool withCompass);

// Splits a path at its last separator after turning "\" into "/" and
// dropping one trailing "/": head is the part before it, tail the last
// component. False (head and tail empty) when there is no separator after
// the first character.
bool SplitExperimentPath(const std::wstring& path, std::wstring& head, std::wstring& tail);

// How the data server names an experiment's function and the browse
// dialog lists it: "<expno>:  " followed by "$CMT1", "$CMT2" (each with two
// blanks after it) and "$CMT3", each only when not empty, or "$AQ_DATE"
// when all three are empty; "<expno>:  " alone when the acquisition
// parameters cannot be read.
std::wstring ExperimentDescription(const std::wstring& expno, const CBruker& acquisition);
std::wstring ExperimentDescription(const std::wstring& dataset, const std::wstring& expno);
