#include "ChangeName.h"

#include "FileInfo.h"
#include "FilesList.h"
#include "FolderIdentity.h"
#include "FolderHandle.h"
#include "NameIndex.h"
#include "NameParts.h"
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

// The working state of one call: the options, the destination folder, the
// parts of the names and the names made so far.
class NameGenerator
{
public:
    NameGenerator(TMyFileList& list, const RenameOptions& options, const NameFolders& folders)
        : m_list(list)
        , m_in(options)
        , m_folder(withTrailingSlash(folders.destination))
        , m_keepNumber(options.keepNumber)
        , m_inPlace(m_keepNumber && sameFolder(folders.source, folders.destination))
        , m_parts(namePartsOf(options))
        // The names made are looked up only to step past them.
        , m_stepsPastNames(options.avoidDuplicates || m_keepNumber)
        , m_trackProduced(m_stepsPastNames && namesCanRepeat(options))
        , m_produced(NameCase::Folded, m_trackProduced ? static_cast<std::size_t>(list.Count()) : 0)
    {
        if (!m_in.extension.empty() && m_in.changeExtension)
            m_extension = "." + m_in.extension;
    }

    ChangeNameResult run()
    {
        std::optional<DateTexts> dates;
        if (m_in.dateSource != DateSource::None) {
            dates = DateTexts::of(m_list, m_in);
            if (!dates)
                return {false, {StatusKind::Warning, NameStatus::BadDatePattern}};
        }
        ChangeNameResult result = nameEach(dates ? &*dates : nullptr);
        if (dates && dates->widthVaried() && m_stepsPastNames && !m_trackProduced) {
            // A date of another width moves the number: names are no longer
            // known to differ, so they are made again and remembered.
            m_trackProduced = true;
            m_produced = NameIndex(NameCase::Folded, static_cast<std::size_t>(m_list.Count()));
            dates = DateTexts::of(m_list, m_in);
            result = nameEach(&*dates);
        }
        result.withoutShootingDate = dates ? dates->fallbacks() : 0;
        return result;
    }

    bool taken(const std::string& candidate)
    {
        if (m_trackProduced && m_produced.contains(candidate))
            return true;
        return fileExists(m_folder, withCase(candidate));
    }

private:
    ChangeNameResult nameEach(DateTexts* dates)
    {
        const bool perDate = dates && m_in.numberPerDate && !m_keepNumber;
        const std::int64_t first = static_cast<std::int64_t>(m_in.startNumber);
        std::int64_t running = first - 1;
        std::vector<std::int64_t> perDateNumbers; // by the number of the date text
        ChangeNameResult result{true, {StatusKind::Working, NameStatus::Converting}};
        for (int i = 0; i < m_list.Count(); ++i) {
            m_list.prefetch(i + 8); // items lie in memory in another order
            const DateTexts::Text date = dates ? dates->textOf(i) : DateTexts::Text{0, {}};
            if (perDate && date.number >= perDateNumbers.size())
                perDateNumbers.resize(date.number + 1, first - 1);
            std::int64_t& number = perDate ? perDateNumbers[date.number] : running;
            ++number;
            const std::string& fileName = m_list.fileNameAt(i);
            if (m_keepNumber)
                m_name = keepNumber(fileName, date.text);
            else if (!ordinaryName(fileName, date.text, number))
                return {false, m_stop};
            const std::string& finalName = withCase(m_name);
            if (const NameProblem p = nameProblem(finalName); p != NameProblem::None)
                return {false, warningFor(p)};
            m_list.SetNewName(i, finalName);
            if (m_trackProduced)
                m_produced.insert(finalName);
        }
        return result;
    }

    // The name as it will be written; a reference to `name` itself when no
    // case change is asked for, else to a buffer valid until the next call.
    // The extension's own case, when asked for, goes over the name's.
    const std::string& withCase(const std::string& name)
    {
        if (!m_in.upperCase && !m_in.lowerCase && m_in.extensionCase == ExtensionCase::AsIs)
            return name;
        m_cased = m_in.upperCase   ? upperCaseName(name)
                  : m_in.lowerCase ? lowerCaseName(name)
                                   : name;
        if (m_in.extensionCase != ExtensionCase::AsIs) {
            // Cased on its own: a Shift-JIS base must not decide how it is read.
            const std::size_t dot = m_cased.size() - extensionOf(m_cased).size();
            const std::string_view extension = std::string_view(m_cased).substr(dot);
            std::string cased = m_in.extensionCase == ExtensionCase::Lower
                                    ? lowerCaseName(extension)
                                    : upperCaseName(extension);
            m_cased.replace(dot, std::string::npos, cased);
        }
        return m_cased;
    }

    std::string keepNumber(const std::string& fileName, std::string_view date)
    {
        return keepNumberName(
            fileName, m_in,
            [&](const std::string& c) {
                // In its own folder a file's own name is held by the file itself:
                // only a name given to an earlier row can take it from it.
                if (m_inPlace && withCase(c) == fileName)
                    return m_produced.contains(c);
                return taken(c);
            },
            date);
    }

    // The number and the extension after the prefix in m_name, in place.
    void setNumber(std::string_view extension, std::int64_t number)
    {
        m_name.resize(m_prefixLength);
        m_name += PadNumber(number, m_in.digits);
        m_name += extension;
    }

    // The date, identifier, number and extension in m_name; with duplicate
    // avoidance the number moves on past taken names. False when the number
    // outgrows the digit count or the name cannot be held (m_stop says which).
    bool ordinaryName(const std::string& fileName, std::string_view date, std::int64_t& number)
    {
        const std::string_view extension =
            m_extension.empty() ? extensionOf(fileName) : std::string_view(m_extension);
        m_name.clear();
        appendPrefix(m_parts, date, m_in.identifier, m_name);
        m_prefixLength = m_name.size();
        setNumber(extension, number);
        // A name with "/" must not even be looked up: it would reach another folder.
        if (const NameProblem p = nameProblem(m_name); p != NameProblem::None) {
            m_stop = warningFor(p);
            return false;
        }
        if (m_in.avoidDuplicates) {
            while (taken(m_name)) {
                ++number;
                if (tooManyDigits(number))
                    break;
                setNumber(extension, number);
            }
        }
        if (tooManyDigits(number)) {
            m_stop = {StatusKind::Warning, NameStatus::NumberTooLong};
            return false;
        }
        return true;
    }

    bool tooManyDigits(std::int64_t number) const
    {
        return decimalLength(number) > static_cast<std::size_t>(m_in.digits < 0 ? 0 : m_in.digits);
    }

    TMyFileList& m_list;
    const RenameOptions& m_in;
    FolderHandle m_folder;
    bool m_keepNumber;
    bool m_inPlace; // the new names are given in the files' own folder
    NameParts m_parts;
    bool m_stepsPastNames;
    bool m_trackProduced;
    std::string m_extension; // the replacement extension, if any
    NameIndex m_produced;    // the names made so far, compared without regard to case
    std::string m_cased;
    std::string m_name;             // the name being made
    std::size_t m_prefixLength = 0; // of the text before its number
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
                           const NameTakenTest& taken, std::string_view date)
{
    const std::string_view extension = extensionOf(fileName);
    const std::string_view base = baseNameOf(fileName);
    const std::size_t digitsStart = base.find_last_not_of("0123456789") + 1; // npos + 1 == 0
    if (digitsStart == base.size())
        return fileName; // no number of its own to keep

    const std::string_view kept = (options.keepNumberIdentifier && !options.identifier.empty())
                                      ? std::string_view(options.identifier)
                                      : base.substr(0, digitsStart);
    std::string newBase;
    appendPrefix(namePartsOf(options), date, kept, newBase);
    newBase += repadDigits(base.substr(digitsStart), options.digits);
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
