#pragma once
#include <filesystem>
#include <vector>

namespace vorl {

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
