#pragma once
// The check of a whole program folder: every data file of every user
// (YearFiles, Year.txt, holl.dat, kisyu.dat), the common lists in CboData, the
// settings file, and what an interrupted save leaves behind. Nothing is
// written; the problems come back as data, each with its file and line, for
// `tamalog-cli check` to print.
#include <filesystem>
#include <string>
#include <vector>

namespace tama {

// One problem found in a program folder.
struct FolderProblem {
    std::string file;  // relative to the program folder, '/' between names; a link is named, not followed
    int line = 0;      // 1-based, 0 for the file as a whole
    std::string what;  // the problem in Japanese
};

// What checkProgramFolder found.
struct FolderCheck {
    std::vector<FolderProblem> problems;  // in the order the files were read
    int users = 0;                        // user folders read
    int yearFiles = 0;                    // *.sdb files read
    long records = 0;                     // records read from them
};

// Reads every data file under `programFolder`, which must be a folder, and
// lists each problem: line ends other than CR LF, blank lines, NUL bytes, bytes
// that are not CP932, lines that are not of the file's shape, records with a
// problem recordProblems finds or out of date order, a Year.txt that disagrees
// with the YearFiles, doubled or malformed list entries, names that differ
// only in letter case, links in place of data folders, an unreadable settings
// file, and a save journal or temporary files left by an interrupted save.
// What the files hold is reported, never thrown.
FolderCheck checkProgramFolder(const std::filesystem::path& programFolder);

// A problem as one line of text, "file:line: what" (": line" left out for the
// file as a whole), with control characters and bytes that are not UTF-8 in
// the names and texts written as \n, \r, \t and \xHH (a folder named by
// another program may hold them).
std::string problemLine(const FolderProblem& problem);

}  // namespace tama
