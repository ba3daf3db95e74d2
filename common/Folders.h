#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vorl {

// A path from UTF-8 text (settings, UserCfg.opt), and back. A plain std::string is read in
// the system's narrow code page on Windows, which turns "J\u00fcrgen" into other letters; these
// keep every character on every platform.
std::filesystem::path gf_utf8Path(std::string_view utf8);
std::string gf_utf8Text(const std::filesystem::path& path);

// Regular files of one folder (not recursive) whose extension is ".xml" in any case.
std::vector<std::filesystem::path> gf_listXmlFiles(const std::filesystem::path& folder);

// Number of entries of a folder; 0 when it does not exist.
int gf_countEntries(const std::filesystem::path& folder);

void gf_removeFilesFromDirectory(const std::filesystem::path& folder);
void gf_removeXMLFilesFromDirectory(const std::filesystem::path& folder);

// Proves a folder writable by creating and deleting ".write_test.tmp" in it.
bool gf_isFolderWritable(const std::filesystem::path& folder);

// Upper-cased ASCII copy, for case-insensitive comparisons of names and extensions.
std::string gf_upperAscii(std::string text);

} // namespace vorl
