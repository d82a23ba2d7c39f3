#pragma once
// The user's saved algorithms and their enciphered store file.
//
// File: upper-case hexadecimal of the enciphered GBK plain text, one "name----f1|f2|f3" line
// per algorithm, each ended by CR LF; no algorithms give an empty file.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qivra {

inline constexpr std::string_view kStoreFileName = "QivraData.ini";

struct CustomAlgorithm {
    std::string name;
    std::string algorithmText;  // f1|f2|f3
    friend bool operator==(const CustomAlgorithm&, const CustomAlgorithm&) = default;
};

// The three formulas of an algorithm text; missing pieces are empty.
std::array<std::string, 3> SplitAlgorithmText(std::string_view algorithmText);
std::string JoinAlgorithmText(const std::array<std::string, 3>& formulas);

// Why a name cannot be stored as typed (it would not come back the same), or "" when it can.
std::string ValidateAlgorithmName(std::string_view name);
// The same for a whole algorithm: its name and its formulas.
std::string ValidateAlgorithm(const CustomAlgorithm& algorithm);

struct StoreLoadResult {
    std::vector<CustomAlgorithm> rows;
    std::string error;  // non-empty: the store is damaged and rows is empty
    bool ok() const { return error.empty(); }
};

struct SaveResult {
    std::string error;  // empty on success
    bool ok() const { return error.empty(); }
};

// The file's bytes; nullopt when an algorithm cannot be written (see ValidateAlgorithm).
std::optional<std::string> SerializeStore(const std::vector<CustomAlgorithm>& rows);
StoreLoadResult ParseStore(std::string_view fileBytes);

// An absent file is an empty list. A damaged file is reported and left as it is.
StoreLoadResult LoadStoreFile(const std::string& path);

// Replaces the file atomically: a temporary file in the same folder, flushed to disk, then
// renamed over the old one. On failure the old file is untouched. An existing file that does
// not load is not replaced unless replaceDamaged is set (the user has agreed to lose it). A
// successful save removes the temporary files earlier saves killed midway left beside it.
SaveResult SaveStoreFile(const std::string& path, const std::vector<CustomAlgorithm>& rows,
                         bool replaceDamaged = false);

// The store beside the program when its folder is writable, otherwise in the user's data
// folder ($XDG_DATA_HOME or ~/.local/share)/Qivra28/.
std::string DefaultStorePath(const std::string& programDir);

}  // namespace qivra
