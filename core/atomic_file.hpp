#pragma once
// Files replaced whole: the new bytes go to a temporary file beside the old one, are flushed to
// disk and renamed over it, so a crash leaves the old file or the new one, never half of one.

#include <string>
#include <string_view>

namespace qivra {

// Whether name is one of the temporary files of fileName (both without a folder):
// "<fileName>.qivra-tmp-" and the six letters or digits that make it unique. A name a user
// would give a copy ("QivraData.ini.backup") never matches.
bool IsTempFileNameOf(std::string_view name, std::string_view fileName);

// Replaces the file at path (whose folder must exist) with bytes, permissions as given.
// Returns 0, or the errno of the step that failed; then path is as it was and the temporary
// file is gone. After a success, the temporary files that saves killed earlier left beside
// path are removed (see RemoveLeftoverTempFiles).
int ReplaceFileAtomically(const std::string& path, std::string_view bytes, unsigned permissions);

// Removes the temporary files of path that no save is writing: regular files of this user
// named as IsTempFileNameOf says. A save holds a lock on its temporary file until the rename,
// and the lock of a killed process is gone, so a save running beside this one keeps its file.
void RemoveLeftoverTempFiles(const std::string& path);

}  // namespace qivra
