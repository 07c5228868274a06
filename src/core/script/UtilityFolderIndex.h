#pragma once

// Which of a printer's utility folders holds a relative utility path. Each folder is listed once and
// every path is looked up in those listings, so that many paths against many folders cost their sum
// rather than their product; the answer is the one trying each folder in turn gives.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pellora {

// Whether a utility path text names something that exists (the system reads the text up to a NUL byte).
bool UtilityPathExists(const std::string& text);

class UtilityFolderIndex {
public:
    // The folder texts in the order the script gives them (kept by reference: they must outlive the
    // index); a folder's text is joined directly to a path.
    explicit UtilityFolderIndex(const std::vector<std::string>& folders);

    // The first folder, in the order given, for which the folder's text followed directly by rest names
    // something that exists; null when none does.
    const std::string* Find(std::string_view rest) const;

private:
    void addCandidates(const std::unordered_map<std::string, std::vector<std::size_t>>& index, const std::string& key,
                       std::vector<std::size_t>& candidates) const;

    const std::vector<std::string>& m_folders;
    // First component after the folder's own folder part (and its stem) -> the folders that list it.
    std::unordered_map<std::string, std::vector<std::size_t>> m_plain;   // folder texts ending in "/"
    std::unordered_map<std::string, std::vector<std::size_t>> m_stemmed; // texts ending in a partial name
    // Folders whose folder part exists but cannot be listed (and the empty text), the plain folders that
    // exist at all, and the first folder whose text holds a NUL byte and names something that exists.
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::vector<std::size_t> m_unlisted;
    std::vector<std::size_t> m_existingPlain;
    std::size_t m_firstConstant = kNone;
};

} // namespace pellora
