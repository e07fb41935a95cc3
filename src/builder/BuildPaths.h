#pragma once
// Path texts of build mode: file-name parts, joins, the model table's name.

#include <string>

namespace cdflash {

// The part of `path` after its last directory separator ('\', '/' or the
// drive colon on Windows, '/' elsewhere).
std::string FileNamePart(const std::string& path);

// `directory` and `name` with one separator between them.
std::string JoinPath(const std::string& directory, const std::string& name);

// `path` with the extension of its file-name part replaced by `extension`
// (which starts with '.'); appended when the name has none.
std::string ChangeFileExt(const std::string& path, const std::string& extension);

// The model table next to the program at `programPath`: its path with the
// extension ".INI" (ModelTableSearch.h has every place build mode looks).
std::string ModelTablePath(const std::string& programPath);

// On systems whose file names depend on case, a second place to look when
// the first is absent: the same name with ".ini". Empty elsewhere.
std::string ModelTableAlternatePath(const std::string& programPath);

}  // namespace cdflash
