#include "ChangeName.h"

#include "FileAttributes.h"
#include "FilesList.h"
#include "FolderHandle.h"

#include "common/SampleImages.h"
#include "common/SampleNames.h"
#include "common/ScratchDir.h"
#include "common/TimeZone.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace torvel {
namespace {

using Names = std::vector<std::string>;

// The options and the folders of one call.
struct Inputs : RenameOptions
{
    std::string destination;
    std::string source;
};

// The defaults of the worked examples: identifier CHGN, start number 1,
// digit count 2, the extension changed to "txt", nothing else.
Inputs defaults(const ScratchDir& dest)
{
    Inputs in;
    in.identifier = "CHGN";
    in.startNumber = 1;
    in.digits = 2;
    in.extension = "txt";
    in.changeExtension = true;
    in.destination = dest.path();
    return in;
}

class ChangeName : public ::testing::Test
{
protected:
    // Items in exactly this order (the list's sorted order).
    void list(const Names& files)
    {
        m_list.ClearList();
        for (const auto& f : files)
            m_list.addItem(f, 0, 1'600'000'000, FileAttr::Archive);
    }

    Names newNames() const
    {
        Names out;
        for (int i = 0; i < m_list.Count(); ++i)
            out.push_back(m_list.GetNewName(i));
        return out;
    }

    Names run(const Names& files, const std::function<void(Inputs&)>& change = {})
    {
        list(files);
        Inputs in = defaults(m_dest);
        if (change)
            change(in);
        m_result = makeNewNames(m_list, in, {in.source, in.destination});
        return newNames();
    }

    // One file of a folder of photos: its shooting date ("YYYY:MM:DD hh:mm:ss",
    // nullptr for none) and its last-write time.
    struct PhotoFile
    {
        std::string name;
        const char* shot;
        std::int64_t modified;
    };

    // As run, with the files made in a folder of their own, which the list
    // reads the shooting dates from. A raw file is laid out as a TIFF.
    Names runPhotos(const std::vector<PhotoFile>& files, const std::function<void(Inputs&)>& change)
    {
        ScratchDir photos;
        m_list.ClearList();
        m_list.setSourceFolder(std::make_shared<FolderHandle>(photos.path()));
        for (const PhotoFile& f : files) {
            const test::ExifTags tags = {{"Exif.Photo.DateTimeOriginal", f.shot ? f.shot : ""}};
            if (f.shot && f.name.ends_with(".NEF"))
                test::writeRawLikeTiff(photos / f.name, tags);
            else if (f.shot)
                test::writeJpeg(photos / f.name, tags);
            else
                photos.makeFile(f.name);
            m_list.addItem(f.name, 0, f.modified, FileAttr::Archive);
        }
        Inputs in = defaults(m_dest);
        change(in);
        m_result = makeNewNames(m_list, in, {in.source, in.destination});
        return newNames();
    }

    ScratchDir m_dest;
    TMyFileList m_list{""};
    ChangeNameResult m_result;
};

const StatusMessage working{StatusKind::Working, NameStatus::Converting};
const StatusMessage overflow{StatusKind::Warning, NameStatus::NumberTooLong};

TEST_F(ChangeName, WorkedExamplesInOrdinaryMode)
{
    EXPECT_EQ(run({"memo.doc", "photo.jpg", "readme"}),
              (Names{"CHGN01.txt", "CHGN02.txt", "CHGN03.txt"}));
    EXPECT_TRUE(m_result.ok);
    EXPECT_EQ(m_result.status, working);

    EXPECT_EQ(
        run({"memo.doc", "photo.jpg", "readme"}, [](auto& in) { in.changeExtension = false; }),
        (Names{"CHGN01.doc", "CHGN02.jpg", "CHGN03"}));

    EXPECT_EQ(run({"a.txt", "b.txt"}, [](auto& in) { in.startNumber = 0, in.digits = 3; }),
              (Names{"CHGN000.txt", "CHGN001.txt"}));

    run({"a", "b", "c", "d"}, [](auto& in) { in.startNumber = 98; });
    EXPECT_FALSE(m_result.ok);
    EXPECT_EQ(m_result.status, overflow);
    EXPECT_EQ(newNames(), (Names{"CHGN98.txt", "CHGN99.txt", "", ""})); // the rest got none

    EXPECT_EQ(run({"Photo.jpg"},
                  [](auto& in) {
                      in.upperCase = true, in.identifier = "Trip", in.changeExtension = false;
                  }),
              (Names{"TRIP01.JPG"}));
}

TEST_F(ChangeName, NamesWithADateAndTheExtensionsCase)
{
    const test::ScopedTimeZone tokyo("JST-9");
    const std::int64_t lateOn4th = test::tokyoInstant(2024, 5, 4, 23, 59, 59); // an odd second
    const char* on3rd = "2024:05:03 10:00:00";
    const char* on4th = "2024:05:04 08:30:15";
    // By shooting date, yyyyMMdd, no identifier, three digits, own extension.
    const auto dated = [](const std::function<void(Inputs&)>& more = {}) {
        return [more](Inputs& in) {
            in.dateSource = DateSource::Shot, in.datePattern = "yyyyMMdd", in.identifier = "",
            in.digits = 3, in.changeExtension = false;
            if (more)
                more(in);
        };
    };
    struct Case
    {
        const char* name;
        std::vector<PhotoFile> files; // in list order
        std::function<void(Inputs&)> change;
        Names expected;
        int withoutShootingDate = 0;
        bool ok = true;
    };
    const Case cases[] = {
        {"one series per day, the days interleaved in name order",
         {{"a.jpg", on3rd, 0}, {"b.jpg", on4th, 0}, {"c.jpg", on3rd, 0}, {"d.jpg", on4th, 0}},
         dated([](Inputs& in) { in.numberPerDate = true; }),
         {"20240503_001.jpg", "20240504_001.jpg", "20240503_002.jpg", "20240504_002.jpg"}},
        {"two days that one text shows are one series",
         {{"a.jpg", "2024:01:11 10:00:00", 0}, {"b.jpg", "2024:11:01 10:00:00", 0}},
         dated([](Inputs& in) { in.numberPerDate = true, in.datePattern = "Md"; }),
         {"111_001.jpg", "111_002.jpg"}},
        {"without a series per day the number runs on",
         {{"a.jpg", on3rd, 0}, {"b.jpg", on4th, 0}},
         dated(),
         {"20240503_001.jpg", "20240504_002.jpg"}},
        {"the date before the identifier",
         {{"DSC_0001.NEF", on3rd, 0}},
         dated([](Inputs& in) { in.identifier = "鎌倉_", in.datePattern = "yyyy-MM-dd"; }),
         {"2024-05-03_鎌倉_001.NEF"}},
        {"the date after the identifier",
         {{"DSC_0001.NEF", on3rd, 0}},
         dated([](Inputs& in) { in.identifier = "鎌倉_", in.dateAfterIdentifier = true; }),
         {"鎌倉_20240503_001.NEF"}},
        {"a file without a shooting date takes its time stamp's, and is counted",
         {{"a.jpg", on3rd, 0}, {"memo.txt", nullptr, lateOn4th}},
         dated([](Inputs& in) { in.numberPerDate = true; }),
         {"20240503_001.jpg", "20240504_001.txt"},
         1},
        {"the time stamp as the source, to its odd second",
         {{"a.jpg", on3rd, lateOn4th}},
         dated([](Inputs& in) {
             in.dateSource = DateSource::Modified, in.datePattern = "yyyyMMdd_HHmmss";
         }),
         {"20240504_235959_001.jpg"}},
        {"the shooting date to the second",
         {{"a.jpg", on4th, 0}},
         dated([](Inputs& in) { in.datePattern = "yyyyMMdd_HHmmss"; }),
         {"20240504_083015_001.jpg"}},
        {"a date text taken outside the batch moves that day's number on",
         {{"a.jpg", on3rd, 0}, {"b.jpg", on3rd, 0}},
         dated([&](Inputs& in) {
             m_dest.makeFile("20240503_001.jpg");
             in.numberPerDate = true, in.avoidDuplicates = true;
         }),
         {"20240503_002.jpg", "20240503_003.jpg"}},
        {"a kept number takes the date as the identifier does",
         {{"DSC7.jpg", on3rd, 0}, {"IMG12.jpg", on4th, 0}},
         dated([](Inputs& in) { in.keepNumber = true; }),
         {"20240503_DSC007.jpg", "20240504_IMG012.jpg"}},
        {"a date that makes two kept names equal is not given twice",
         {{"x1.jpg", on3rd, 0}, {"y1.jpg", on3rd, 0}},
         dated([](Inputs& in) {
             in.keepNumber = true, in.keepNumberIdentifier = true, in.identifier = "P";
         }),
         {"20240503_P001.jpg", "20240503_P001-01.jpg"}},
        {"a Shift-JIS name keeps its bytes, its extension cased alone",
         {{sjisTest + "7.JPG", nullptr, lateOn4th}},
         dated([](Inputs& in) {
             in.dateSource = DateSource::Modified, in.keepNumber = true,
             in.extensionCase = ExtensionCase::Lower;
         }),
         {"20240504_" + sjisTest + "007.jpg"}},
        {"the extension lower-cased alone",
         {{"a.JPG", nullptr, 0}, {"b.Png", nullptr, 0}},
         [](Inputs& in) {
             in.identifier = "Trip", in.changeExtension = false,
             in.extensionCase = ExtensionCase::Lower;
         },
         {"Trip01.jpg", "Trip02.png"}},
        {"the extension's case over the name's",
         {{"a.jpg", nullptr, 0}},
         [](Inputs& in) {
             in.identifier = "Trip", in.changeExtension = false, in.lowerCase = true,
             in.extensionCase = ExtensionCase::Upper;
         },
         {"trip01.JPG"}},
        {"a pattern that cannot be used makes no name",
         {{"a.jpg", on3rd, 0}},
         dated([](Inputs& in) { in.datePattern = "yyy"; }),
         {""},
         0,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(runPhotos(c.files, c.change), c.expected);
        EXPECT_EQ(m_result.withoutShootingDate, c.withoutShootingDate);
        EXPECT_EQ(m_result.ok, c.ok);
    }
}

TEST_F(ChangeName, WorkedExamplesWithDuplicateAvoidance)
{
    m_dest.makeFile("CHGN02.txt");
    const auto avoid = [](auto& in) { in.avoidDuplicates = true; };
    EXPECT_EQ(run({"a.txt", "b.txt", "c.txt"}, avoid),
              (Names{"CHGN01.txt", "CHGN03.txt", "CHGN04.txt"}));

    ScratchDir inPlace;
    inPlace.makeFile("CHGN01.txt");
    inPlace.makeFile("CHGN02.txt");
    EXPECT_EQ(run({"CHGN01.txt", "CHGN02.txt"},
                  [&](auto& in) { in.avoidDuplicates = true, in.destination = inPlace.path(); }),
              (Names{"CHGN03.txt", "CHGN04.txt"}));

    m_dest.makeFile("CHGN99.txt");
    run({"one"}, [](auto& in) { in.avoidDuplicates = true, in.startNumber = 99; });
    EXPECT_FALSE(m_result.ok);
    EXPECT_EQ(m_result.status, overflow);
}

TEST_F(ChangeName, WorkedExamplesInKeepNumberMode)
{
    const Names scans = {"scan012.png", "scan20.png", "scan7.png"};
    EXPECT_EQ(run(scans, [](auto& in) { in.keepNumber = true, in.digits = 3; }),
              (Names{"scan012.png", "scan020.png", "scan007.png"}));
    EXPECT_EQ(run(scans,
                  [](auto& in) {
                      in.keepNumber = true, in.digits = 3, in.keepNumberIdentifier = true,
                      in.identifier = "IMG";
                  }),
              (Names{"IMG012.png", "IMG020.png", "IMG007.png"}));

    ScratchDir inPlace;
    inPlace.makeFile("a01.txt");
    inPlace.makeFile("a1.txt");
    EXPECT_EQ(
        run({"a01.txt", "a1.txt"},
            [&](auto& in) { in.keepNumber = true, in.destination = in.source = inPlace.path(); }),
        (Names{"a01.txt", "a01-01.txt"}));
    EXPECT_TRUE(m_result.ok);
}

TEST_F(ChangeName, OverflowAndEdgesOfTheNumber)
{
    Names ten;
    for (int i = 0; i < 10; ++i)
        ten.push_back("f" + std::to_string(i));
    run(ten, [](auto& in) { in.digits = 1; });
    EXPECT_FALSE(m_result.ok);
    EXPECT_EQ(newNames()[8], "CHGN9.txt");
    EXPECT_EQ(newNames()[9], "");

    EXPECT_EQ(run({"a"}, [](auto& in) { in.startNumber = 0; }), (Names{"CHGN00.txt"}));
    // An empty extension text behaves like changeExtension off.
    EXPECT_EQ(run({"a.jpg", "b"}, [](auto& in) { in.extension = ""; }),
              (Names{"CHGN01.jpg", "CHGN02"}));
}

TEST_F(ChangeName, CaseOptions)
{
    EXPECT_EQ(run({"x"}, [](auto& in) { in.lowerCase = true, in.extension = "TXT"; }),
              (Names{"chgn01.txt"}));
    // Both on (as a settings file may say): upper case is tested first.
    EXPECT_EQ(run({"x"},
                  [](auto& in) { in.upperCase = true, in.lowerCase = true, in.identifier = "ab"; }),
              (Names{"AB01.TXT"}));
    // An extension in Shift-JIS ("ダ" ends in the byte of "a") keeps its bytes.
    EXPECT_EQ(
        run({"p.\x83\x61"}, [](auto& in) { in.upperCase = true, in.changeExtension = false; }),
        (Names{"CHGN01.\x83\x61"}));
    EXPECT_EQ(run({"p.ｊｐｇ"},
                  [](auto& in) {
                      in.upperCase = true, in.changeExtension = false, in.identifier = "写真";
                  }),
              (Names{"写真01.ＪＰＧ"}));
}

TEST_F(ChangeName, DuplicateTestUsesTheNameAsItWillBeWritten)
{
    // This file system tells case apart: the upper-case name is what would
    // collide, not the name before the case change.
    m_dest.makeFile("TRIP01.JPG");
    const auto upper = [](auto& in) {
        in.upperCase = true, in.avoidDuplicates = true, in.identifier = "Trip",
        in.changeExtension = false;
    };
    EXPECT_EQ(run({"Photo.jpg"}, upper), (Names{"TRIP02.JPG"}));

    ScratchDir other;
    other.makeFile("Trip01.jpg");
    EXPECT_EQ(run({"Photo.jpg"}, [&](auto& in) { upper(in), in.destination = other.path(); }),
              (Names{"TRIP01.JPG"}));
}

TEST_F(ChangeName, OnlyFilesAndLinksCountAsTaken)
{
    m_dest.makeFolder("CHGN01.txt");
    m_dest.makeLink("gone", "CHGN02.txt");
    EXPECT_EQ(run({"a", "b"}, [](auto& in) { in.avoidDuplicates = true; }),
              (Names{"CHGN01.txt", "CHGN03.txt"}));

    // A destination that does not exist holds nothing.
    EXPECT_EQ(
        run({"a"},
            [&](auto& in) { in.avoidDuplicates = true, in.destination = m_dest / "missing"; }),
        (Names{"CHGN01.txt"}));
}

TEST_F(ChangeName, KeepNumberModeRules)
{
    const auto keep = [](int digits) {
        return [digits](Inputs& in) { in.keepNumber = true, in.digits = digits; };
    };
    // No number of its own: the file keeps its name, identifier or not.
    EXPECT_EQ(run({"notes.txt"}, keep(2)), (Names{"notes.txt"}));
    EXPECT_EQ(
        run({"notes.txt"},
            [&](auto& in) { keep(2)(in), in.keepNumberIdentifier = true, in.identifier = "IMG"; }),
        (Names{"notes.txt"}));
    // A longer number keeps all its digits; leading zeros go, then padding.
    EXPECT_EQ(run({"scan1234.png", "scan0001234.png", "img000.png"}, keep(2)),
              (Names{"scan1234.png", "scan1234-01.png", "img00.png"}));
    EXPECT_EQ(run({"scan0001234.png"}, keep(5)), (Names{"scan01234.png"}));
    // Too long for a 32-bit number: handled as text.
    EXPECT_EQ(run({"x99999999999999999999.png", "y000099999999999.png"}, keep(3)),
              (Names{"x99999999999999999999.png", "y99999999999.png"}));
    // Extension change and duplicate avoidance play no part in this mode.
    EXPECT_EQ(run({"scan7.png"}, [&](auto& in) { keep(2)(in), in.avoidDuplicates = true; }),
              (Names{"scan07.png"}));
    // Shift-JIS bytes before the number stay as they are.
    EXPECT_EQ(run({sjisTest + "7.txt"}, keep(3)), (Names{sjisTest + "007.txt"}));
}

TEST_F(ChangeName, KeepNumberModeAvoidsTakenNamesIgnoringCase)
{
    EXPECT_EQ(run({"A01.txt", "a1.txt"}, [](auto& in) { in.keepNumber = true; }),
              (Names{"A01.txt", "a01-01.txt"}));

    m_dest.makeFile("a01.txt");
    m_dest.makeFile("a01-01.txt");
    EXPECT_EQ(run({"a1.txt"}, [](auto& in) { in.keepNumber = true; }), (Names{"a01-02.txt"}));
}

// A name that is already padded is still a name given to a row: it may not
// be given twice, nor, in another folder, land on a file there.
TEST_F(ChangeName, KeepNumberModeTestsNamesThatStayAsTheyAre)
{
    const auto keep = [](int digits, const std::string& searchDir) {
        return [=](Inputs& in) { in.keepNumber = true, in.digits = digits, in.source = searchDir; };
    };
    const std::string elsewhere = "/nonexistent-source/";
    EXPECT_EQ(run({"a1.txt", "a01.txt"}, keep(2, elsewhere)), (Names{"a01.txt", "a01-01.txt"}));
    EXPECT_EQ(run({"scan7.png", "scan007.png"}, keep(3, elsewhere)),
              (Names{"scan007.png", "scan007-01.png"}));
    m_dest.makeFile("b05.txt");
    EXPECT_EQ(run({"b05.txt"}, keep(2, elsewhere)), (Names{"b05-01.txt"}));
    // In its own folder the name is held by the file itself.
    EXPECT_EQ(run({"b05.txt"}, keep(2, m_dest.path())), (Names{"b05.txt"}));
    m_dest.makeFile("a1.txt");
    m_dest.makeFile("a01.txt");
    EXPECT_EQ(run({"a1.txt", "a01.txt"}, keep(2, m_dest.path())), (Names{"a01-01.txt", "a01.txt"}));
}

TEST(KeepNumberName, DashSuffixGoesOnPast99AndGivesUp)
{
    Inputs in;
    in.digits = 2;
    const auto takenBelow = [](int limit) {
        return [limit](const std::string& c) {
            const auto dash = c.find('-');
            return dash == std::string::npos || std::stoi(c.substr(dash + 1)) < limit;
        };
    };
    EXPECT_EQ(keepNumberName("a1.txt", in, takenBelow(1)), "a01-01.txt");
    EXPECT_EQ(keepNumberName("a1.txt", in, takenBelow(99)), "a01-99.txt");
    EXPECT_EQ(keepNumberName("a1.txt", in, takenBelow(100)), "a01-100.txt");
    EXPECT_EQ(keepNumberName("a1.txt", in, takenBelow(9999)), "a01-9999.txt");
    int asked = 0;
    EXPECT_EQ(keepNumberName("a1.txt", in, [&](const std::string&) { return ++asked > 0; }),
              "a1.txt");
    EXPECT_EQ(asked, 10000); // the plain name and -01 to -9999
}

TEST_F(ChangeName, NamesThisSystemCannotHoldStopTheComputation)
{
    const StatusMessage unusable{StatusKind::Warning, NameStatus::UnusableCharacter};
    const StatusMessage tooLong{StatusKind::Warning, NameStatus::NameTooLong};

    run({"a", "b"}, [](auto& in) { in.identifier = "a/b"; });
    EXPECT_FALSE(m_result.ok);
    EXPECT_EQ(m_result.status, unusable);
    EXPECT_EQ(newNames(), (Names{"", ""}));

    run({"a"}, [](auto& in) { in.identifier = std::string(250, 'x'); }); // 250 + 2 + 4 bytes
    EXPECT_FALSE(m_result.ok);
    EXPECT_EQ(m_result.status, tooLong);
    EXPECT_EQ(run({"a"}, [](auto& in) { in.identifier = std::string(249, 'x'); })[0].size(), 255u);
    EXPECT_TRUE(m_result.ok);

    run({"a1.txt"}, [](auto& in) {
        in.keepNumber = true, in.keepNumberIdentifier = true, in.identifier = "x/";
    });
    EXPECT_FALSE(m_result.ok);
    EXPECT_EQ(m_result.status, unusable);

    run({"a1.txt"}, [](auto& in) {
        in.keepNumber = true, in.keepNumberIdentifier = true, in.identifier = std::string(250, 'x');
    });
    EXPECT_FALSE(m_result.ok);
    EXPECT_EQ(m_result.status, tooLong);

    // Upper case can make a name longer ("ΐ", 2 bytes, becomes 6): the name
    // as written counts. 240 + 4 * 2 + 6 = 254 bytes before, 270 after.
    const std::string growing = std::string(240, 'x') + "ΐΐΐΐ";
    EXPECT_EQ(run({"a"}, [&](auto& in) { in.identifier = growing; })[0].size(), 254u);
    run({"a"}, [&](auto& in) { in.upperCase = true, in.identifier = growing; });
    EXPECT_FALSE(m_result.ok);
    EXPECT_EQ(m_result.status, tooLong);
}

} // namespace
} // namespace torvel
