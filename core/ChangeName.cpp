#include "ChangeName.h"

#include "FileInfo.h"
#include "FilesList.h"
#include "FolderIdentity.h"
#include "FolderHandle.h"
#include "NameIndex.h"
#include "NameRules.h"
#include "NameText.h"

#include <optional>
#include <vector>

namespace torvel {

namespace {

constexpr int maxDashSuffix = 9999;

std::size_t decimalLength(std::int64_t n)
{
    return std::to_string(n).size();
}

// The trailing digits of a keep-number name as text: leading zeros dropped
// (one "0" stays for a run of zeros), then padded to the digit count.
std::string repadDigits(std::string_view digits, int digitCount)
{
    const std::size_t firstNonZero = digits.find_first_not_of('0');
    std::string text(firstNonZero == std::string_view::npos ? std::string_view("0")
                                                            : digits.substr(firstNonZero));
    if (digitCount > 0 && text.size() < static_cast<std::size_t>(digitCount))
        text.insert(0, static_cast<std::size_t>(digitCount) - text.size(), '0');
    return text;
}

std::string dashSuffix(int k)
{
    std::string suffix(1, '-');
    suffix += k <= 99 ? PadNumber(k, 2) : std::to_string(k);
    return suffix;
}

StatusMessage warningFor(NameProblem problem)
{
    if (problem == NameProblem::TooLong)
        return {StatusKind::Warning, NameStatus::NameTooLong};
    return {StatusKind::Warning, NameStatus::UnusableCharacter};
}

// The working state of one call: the options, the destination folder and
// the names made so far.
class NameGenerator
{
public:
    NameGenerator(TMyFileList& list, const RenameOptions& options, const NameFolders& folders)
        : m_list(list)
        , m_in(options)
        , m_folder(withTrailingSlash(folders.destination))
        , m_keepNumber(options.keepNumber)
        , m_inPlace(m_keepNumber && sameFolder(folders.source, folders.destination))
        ,
        // Only keep-number mode needs the produced names. In ordinary mode
        // the running number only grows, so every candidate carries a number
        // no earlier name has, in the same fixed-width place after the same
        // identifier: it can never equal a name made before.
        m_trackProduced(m_keepNumber)
        , m_produced(NameCase::Folded, m_trackProduced ? static_cast<std::size_t>(list.Count()) : 0)
    {
        if (!m_in.extension.empty() && m_in.changeExtension)
            m_extension = "." + m_in.extension;
    }

    ChangeNameResult run()
    {
        m_number = static_cast<std::int64_t>(m_in.startNumber) - 1;
        for (int i = 0; i < m_list.Count(); ++i) {
            m_list.prefetch(i + 8); // items lie in memory in another order
            ++m_number;
            const std::string& fileName = m_list.fileNameAt(i);
            std::optional<std::string> name =
                m_keepNumber ? std::optional(keepNumber(fileName)) : ordinaryName(fileName);
            if (!name)
                return {false, m_stop};
            const std::string& finalName = withCase(*name);
            if (const NameProblem p = nameProblem(finalName); p != NameProblem::None)
                return {false, warningFor(p)};
            m_list.SetNewName(i, finalName);
            if (m_trackProduced)
                m_produced.insert(finalName);
        }
        return {true, {StatusKind::Working, NameStatus::Converting}};
    }

    bool taken(const std::string& candidate)
    {
        if (m_trackProduced && m_produced.contains(candidate))
            return true;
        return fileExists(m_folder, withCase(candidate));
    }

private:
    // The name as it will be written; a reference to `name` itself when no
    // case change is asked for, else to a buffer valid until the next call.
    const std::string& withCase(const std::string& name)
    {
        if (m_in.upperCase)
            return m_cased = upperCaseName(name);
        if (m_in.lowerCase)
            return m_cased = lowerCaseName(name);
        return name;
    }

    std::string keepNumber(const std::string& fileName)
    {
        return keepNumberName(fileName, m_in, [&](const std::string& c) {
            // In its own folder a file's own name is held by the file itself:
            // only a name given to an earlier row can take it from it.
            if (m_inPlace && withCase(c) == fileName)
                return m_produced.contains(c);
            return taken(c);
        });
    }

    std::string candidate(std::string_view extension) const
    {
        return m_in.identifier + PadNumber(m_number, m_in.digits) + std::string(extension);
    }

    // Identifier, number and extension; with duplicate avoidance the number
    // moves on past taken names. Nothing when the number outgrows the digit
    // count or the name cannot be held (m_stop says which).
    std::optional<std::string> ordinaryName(const std::string& fileName)
    {
        const std::string_view extension =
            m_extension.empty() ? extensionOf(fileName) : std::string_view(m_extension);
        std::string name = candidate(extension);
        // A name with "/" must not even be looked up: it would reach another folder.
        if (const NameProblem p = nameProblem(name); p != NameProblem::None) {
            m_stop = warningFor(p);
            return std::nullopt;
        }
        if (m_in.avoidDuplicates) {
            while (taken(name)) {
                ++m_number;
                if (tooManyDigits())
                    break;
                name = candidate(extension);
            }
        }
        if (tooManyDigits()) {
            m_stop = {StatusKind::Warning, NameStatus::NumberTooLong};
            return std::nullopt;
        }
        return name;
    }

    bool tooManyDigits() const
    {
        return decimalLength(m_number)
               > static_cast<std::size_t>(m_in.digits < 0 ? 0 : m_in.digits);
    }

    TMyFileList& m_list;
    const RenameOptions& m_in;
    FolderHandle m_folder;
    bool m_keepNumber;
    bool m_inPlace; // the new names are given in the files' own folder
    bool m_trackProduced = false;
    std::string m_extension; // the replacement extension, if any
    NameIndex m_produced;    // the names made so far, compared without regard to case
    std::string m_cased;
    std::int64_t m_number = 0;
    StatusMessage m_stop;
};

} // namespace

ChangeNameResult makeNewNames(TMyFileList& list, const RenameOptions& options,
                              const NameFolders& folders)
{
    NameGenerator generator(list, options, folders);
    return generator.run();
}

std::string keepNumberName(const std::string& fileName, const RenameOptions& options,
                           const NameTakenTest& taken)
{
    const std::string_view extension = extensionOf(fileName);
    const std::string_view base = baseNameOf(fileName);
    const std::size_t digitsStart = base.find_last_not_of("0123456789") + 1; // npos + 1 == 0
    if (digitsStart == base.size())
        return fileName; // no number of its own to keep

    const std::string prefix = (options.keepNumberIdentifier && !options.identifier.empty())
                                   ? options.identifier
                                   : std::string(base.substr(0, digitsStart));
    const std::string newBase = prefix + repadDigits(base.substr(digitsStart), options.digits);
    std::string candidate = newBase + std::string(extension);
    // A name that cannot be held is returned as it is: the caller stops on it.
    if (nameProblem(candidate) != NameProblem::None || !taken(candidate))
        return candidate;
    for (int k = 1; k <= maxDashSuffix; ++k) {
        candidate = newBase + dashSuffix(k) + std::string(extension);
        if (nameProblem(candidate) != NameProblem::None || !taken(candidate))
            return candidate;
    }
    return fileName;
}

} // namespace torvel
