#pragma once

#include <string>

namespace torvel {

// The values the window keeps in its settings file, in the file's order, as
// the reader hands them to the window. A missing file gives defaults() and so
// does every missing key, so these are the values of a first start.
struct FormSettings
{
    // SEARCH
    std::string searchDir;         // SEARCH_DIR, a folder ending in "/"
    std::string searchExt = "txt"; // SEARCH_EXT
    int sort = 0;                  // SORT, item of the sort order box; -1 none
    // CHANGE
    std::string changeDir;          // CHANGE_DIR, a folder ending in "/"
    std::string changeName = "TOR"; // CHANGE_NAME
    int changeNom = 1;              // CHANGE_NOM, start number 0..32000
    int changeDigit = 5;            // CHANGE_DIGIT, digit count 1..5
    std::string changeExt = "txt";  // CHANGE_EXT
    std::string changeMove = "MOVE"; // CHANGE_MOVE, read by its first letter
    bool upper = false;             // UPPER
    bool lower = false;             // LOWWER
    bool preview = true;            // PREVIEW
    // OPTIONS
    bool helpHint = true;       // HELP_HINT
    bool duplicate = false;     // DUPLICATE
    bool sameName = false;      // SAMENAME
    bool column = false;        // COLUMN
    bool columnName = false;    // COLUMNNAME
    bool extCheck = false;      // EXT_CHECK
    bool buttonSide = true;     // BUTTONSIDE: true puts the buttons at the left
    int heightSize = 1;         // HEIGHTSIZE: 0 "S", 1 "M", 2 "L"
    std::string formLeft = "233"; // FORM_LEFT
    std::string formTop = "104";  // FORM_TOP

    // The values of a first start; both folders are the program's folder.
    static FormSettings defaults(const std::string& programDir);
};

// The first letter of the save-method text, upper-cased: "C" copy (2),
// "M" move (1), "R" rename (0); anything else, and an empty text, rename.
int saveMethodFromText(const std::string& text);
// The save-method text written back at closing.
std::string saveMethodText(int saveMethod);

} // namespace torvel
